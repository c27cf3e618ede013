#include "registry/UserNameWin32.h"

#include <windows.h>

namespace reg {

bool UserNameWin32::GetUserNameA(char* buffer, std::uint32_t* size) {
    DWORD n = size != nullptr ? *size : 0;
    const BOOL ok = ::GetUserNameA(buffer, size != nullptr ? &n : nullptr);
    if (size != nullptr) *size = n;
    return ok != FALSE;
}

}  // namespace reg
