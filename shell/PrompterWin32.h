#pragma once
#include <windows.h>

#include "shell/Prompter.h"

namespace shell {

// Real message boxes owned by a window. A box with a Help button opens the
// given topic of the help file and stays open.
class PrompterWin32 : public Prompter {
  public:
    explicit PrompterWin32(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    int MsgBox(const std::string& text, unsigned style, const std::string& caption,
               unsigned helpContext = 0) override;

  private:
    HWND owner_;
};

}  // namespace shell
