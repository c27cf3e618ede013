// The one guard of every boundary where nothing may unwind: a window
// procedure, a thread's entry, WinMain, a step whose failure must not end
// the program. Portable, so that the windows' portable halves call it too.
#pragma once
#include <exception>
#include <type_traits>

namespace win32 {

// A trace for a debugger (or DebugView) naming where a fault was stopped:
// OutputDebugString on Windows, standard error in a host build.
void Trace(const char* where, unsigned message, const char* what) noexcept;

// Runs `fn`; any exception stops here and leaves a trace; the result is then
// the result type's zero (for a message: "not handled", 0; for a step that
// says whether it worked: false).
template <class Fn>
auto Guard(const char* where, Fn&& fn, unsigned message = 0) noexcept -> decltype(fn()) {
    try {
        return fn();
    } catch (const std::exception& e) {
        Trace(where, message, e.what());
    } catch (...) {
        Trace(where, message, "an exception of unknown type");
    }
    if constexpr (!std::is_void_v<decltype(fn())>) return {};
}

}  // namespace win32
