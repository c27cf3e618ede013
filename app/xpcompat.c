/* Keeps Dovrane.exe loadable on Windows XP.
 *
 * The static winpthread that mingw's POSIX thread model links in calls
 * GetTickCount64, which kernel32 only has from Vista on; importing it would
 * make XP refuse to start the program. We never start a thread, but the
 * import is there all the same. Defining the import slot ourselves keeps the
 * linker from pulling the kernel32 stub: winpthread calls this instead. */
#include <windows.h>

static ULONGLONG WINAPI TickCount64(void) {
    /* GetTickCount wraps after 49.7 days; carry the wraps into the upper half.
     * The program is single-threaded, so no lock is needed. */
    static DWORD last;
    static ULONGLONG high;
    DWORD now = GetTickCount();
    if (now < last) high += 0x100000000ULL;
    last = now;
    return high | now;
}

/* The import slot GCC calls through for a __declspec(dllimport) function. */
ULONGLONG(WINAPI* const dovrane_imp_GetTickCount64)(void) __asm__("__imp__GetTickCount64@0") =
    TickCount64;
