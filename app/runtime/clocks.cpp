// std::chrono's clocks in Dovrane.exe.
//
// Dovrane.exe links the C++ runtime built for Win32 threads (README.md here
// says why). That build of the library has no monotonic clock: its
// steady_clock is the wall clock, which jumps when the user or the time
// service sets the time, and a time-out measured on it could then last far
// longer or end at once. The performance counter only goes forward, and
// Windows XP has it. The wall clock is here too, so that the library's file
// of clocks, with its own steady_clock, is never linked.
#include <windows.h>

#include <chrono>

namespace {

constexpr long long kNano = 1000000000;

}  // namespace

std::chrono::steady_clock::time_point std::chrono::steady_clock::now() noexcept {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    // Whole seconds and the rest apart: count * 10^9 would overflow within
    // days at the frequencies some machines run the counter at.
    const long long seconds = count.QuadPart / frequency.QuadPart;
    const long long rest = count.QuadPart % frequency.QuadPart;
    return time_point(duration(seconds * kNano + rest * kNano / frequency.QuadPart));
}

std::chrono::system_clock::time_point std::chrono::system_clock::now() noexcept {
    // 100-nanosecond steps since 1601; the clock counts from 1970.
    constexpr long long k1601To1970 = 116444736000000000;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const long long steps = static_cast<long long>(
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return time_point(duration((steps - k1601To1970) * 100));
}
