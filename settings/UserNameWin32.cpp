#include "settings/UserNameWin32.h"

#include <windows.h>

namespace settings {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

bool UserNameWin32::GetUserNameW(char16_t* buffer, std::uint32_t* size) {
    DWORD n = size != nullptr ? *size : 0;
    const BOOL ok =
        ::GetUserNameW(reinterpret_cast<wchar_t*>(buffer), size != nullptr ? &n : nullptr);
    if (size != nullptr) *size = n;
    return ok != FALSE;
}

}  // namespace settings
