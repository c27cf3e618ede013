// std::chrono::steady_clock in Dovrane.exe.
//
// Dovrane.exe links the C++ runtime built for Win32 threads (app/CMakeLists.txt
// says why). That build of the library has no monotonic clock: its
// steady_clock is the wall clock, which jumps when the user or the time
// service sets the time, and a time-out measured on it could then last far
// longer or end at once. The performance counter only goes forward, and
// Windows XP has it.
#include <windows.h>

#include <chrono>

std::chrono::steady_clock::time_point std::chrono::steady_clock::now() noexcept {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    // Whole seconds and the rest apart: count * 10^9 would overflow within
    // days at the frequencies some machines run the counter at.
    constexpr long long kNano = 1000000000;
    const long long seconds = count.QuadPart / frequency.QuadPart;
    const long long rest = count.QuadPart % frequency.QuadPart;
    return time_point(duration(seconds * kNano + rest * kNano / frequency.QuadPart));
}
