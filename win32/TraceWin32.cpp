#include <windows.h>

#include "win32/Guard.h"

namespace win32 {

void Trace(const char* where, unsigned message, const char* what) noexcept {
    char line[512];
    if (message != 0) {
        wsprintfA(line, "Dovrane: %s, message 0x%04X: %.400s\n", where, message, what);
    } else {
        wsprintfA(line, "Dovrane: %s: %.400s\n", where, what);
    }
    OutputDebugStringA(line);
}

}  // namespace win32
