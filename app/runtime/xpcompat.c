/* Keeps Dovrane.exe loadable on Windows XP.
 *
 * The static winpthread that mingw's POSIX thread model links in calls
 * GetTickCount64, which kernel32 only has from Vista on; importing it would
 * make XP refuse to start the program. Defining the import slot ourselves
 * keeps the linker from pulling the kernel32 stub: winpthread calls this
 * instead. Dovrane.exe links the Win32-thread runtime, which needs no
 * winpthread; a std::mutex in the program would bring it back, and this with
 * it. */
#include <windows.h>

static ULONGLONG WINAPI TickCount64(void) {
    /* GetTickCount wraps after 49.7 days; the last value seen carries the
     * wraps in its upper half. The banner's fetch runs on a thread of its own,
     * so the update is one atomic compare-and-swap (cmpxchg8b on i686). */
    static volatile ULONGLONG last;
    ULONGLONG seen = __atomic_load_n(&last, __ATOMIC_ACQUIRE);
    for (;;) {
        DWORD now = GetTickCount();
        ULONGLONG next = (seen & ~0xFFFFFFFFULL) | now;
        if (now < (DWORD)seen) next += 0x100000000ULL;
        if (__atomic_compare_exchange_n(&last, &seen, next, 0, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            return next;
    }
}

/* The import slot GCC calls through for a __declspec(dllimport) function. */
/* clang-format off */
ULONGLONG (WINAPI *const dovrane_imp_GetTickCount64)(void) __asm__("__imp__GetTickCount64@0") =
    TickCount64;
/* clang-format on */
