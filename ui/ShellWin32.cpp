#include "ui/ShellWin32.h"

#include <shellapi.h>

namespace ui {

std::intptr_t ShellWin32::ShellExecuteA(const std::string& operation, const std::string& file) {
    HINSTANCE result =
        ::ShellExecuteA(owner_, operation.c_str(), file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace ui
