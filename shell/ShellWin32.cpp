#include "shell/ShellWin32.h"

#include <shellapi.h>

namespace shell {

std::intptr_t ShellWin32::ShellExecuteA(const std::string& operation, const std::string& file) {
    HINSTANCE result =
        ::ShellExecuteA(owner_, operation.c_str(), file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

bool ShellWin32::OpenFolder(const std::u16string& folder) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
    HINSTANCE result =
        ::ShellExecuteW(owner_, L"open", reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr,
                        nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

}  // namespace shell
