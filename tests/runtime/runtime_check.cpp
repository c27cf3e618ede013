// A program linked against the C++ runtime as Dovrane.exe is (app/CMakeLists.txt:
// the Win32-thread runtime, throw.cpp, clocks.cpp, std::string compiled
// in) must still get what the program relies on from it. Prints each failure;
// exits 0 when there is none.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (ok) return;
    std::printf("FAIL: %s\n", what);
    ++failures;
}

// what() of the std::exception that f throws.
template <typename F>
std::string Thrown(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "(not a std::exception)";
    }
    return "(nothing thrown)";
}

long initialisations = 0;

// Slow to make, so that the second thread arrives while the first makes it.
const std::string& Shared() {
    static const std::string shared = [] {
        InterlockedIncrement(&initialisations);
        Sleep(100);
        return std::string("made once");
    }();
    return shared;
}

DWORD WINAPI Worker(void* ok) {
    // Exceptions thrown and caught on a thread of its own (its own
    // exception globals), while the first thread does the same.
    bool caught = true;
    for (int i = 0; i < 200; ++i)
        caught = caught && Thrown([] { std::string().substr(1); }) == "basic_string::substr";
    *static_cast<bool*>(ok) = caught && Shared() == "made once";
    return 0;
}

}  // namespace

int main() {
    // The runtime's checks throw a std::exception naming the function that
    // found the fault, which the program's outer catch shows the user.
    Check(Thrown([] { std::string("abc").substr(5); }) == "basic_string::substr",
          "substr out of range");
    Check(Thrown([] { std::vector<int>(2).at(3); }).rfind("vector::_M_range_check", 0) == 0,
          "vector::at out of range");
    Check(Thrown([] { std::string().reserve(std::string().max_size() + 1); }) ==
              "basic_string::_M_create",
          "string too long");
    Check(Thrown([] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }) ==
              "vector::reserve",
          "vector too long");

    bool workerOk = false;
    HANDLE worker = CreateThread(nullptr, 0, Worker, &workerOk, 0, nullptr);
    const bool mainOk = Shared() == "made once";
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    Check(mainOk && workerOk, "exceptions and a static on two threads");
    Check(initialisations == 1, "a function's static made once, whichever thread comes first");

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool forward = true;
    for (auto last = start, now = start; now - start < std::chrono::milliseconds(100);
         last = now, now = Clock::now())
        forward = forward && now >= last;
    const auto waited = Clock::now() - start;
    Check(forward, "steady_clock never goes back");
    Check(waited >= std::chrono::milliseconds(100) && waited < std::chrono::seconds(5),
          "steady_clock measures time");

    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const long long secondsNow =
        std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const long long lag = secondsNow - static_cast<long long>(std::time(nullptr));
    Check(lag >= -2 && lag <= 2, "system_clock tells the time the C library does");

    std::printf("%s\n", failures ? "runtime check failed" : "runtime check passed");
    return failures ? 1 : 0;
}
