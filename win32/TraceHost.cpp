#include <cstdio>

#include "win32/Guard.h"

namespace win32 {

void Trace(const char* where, unsigned message, const char* what) noexcept {
    if (message != 0)
        std::fprintf(stderr, "Dovrane: %s, message 0x%04X: %.400s\n", where, message, what);
    else
        std::fprintf(stderr, "Dovrane: %s: %.400s\n", where, what);
}

}  // namespace win32
