// The shell's "Open" verb on ShellExecuteA (and ShellExecuteW for folders),
// owned by a window.
#pragma once
#include <windows.h>

#include <string>

#include "shell/Shell.h"

namespace shell {

class ShellWin32 final : public Shell {
  public:
    explicit ShellWin32(HWND owner = nullptr) : owner_(owner) {}
    std::intptr_t ShellExecuteA(const std::string& operation, const std::string& file) override;
    // Explorer on a folder, by its exact (wide) path; false when the shell
    // could not open it.
    bool OpenFolder(const std::u16string& folder);

  private:
    HWND owner_;
};

}  // namespace shell
