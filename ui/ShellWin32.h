// The shell's "Open" verb on ShellExecuteA, owned by a window.
#pragma once
#include <windows.h>

#include "ui/Shell.h"

namespace ui {

class ShellWin32 final : public Shell {
  public:
    explicit ShellWin32(HWND owner = nullptr) : owner_(owner) {}
    std::intptr_t ShellExecuteA(const std::string& operation, const std::string& file) override;

  private:
    HWND owner_;
};

}  // namespace ui
