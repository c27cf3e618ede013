// Text between the portable code, which holds exact names and paths as
// UTF-16 (std::u16string), and the wide Win32 calls, which take wchar_t:
// the same 16-bit units on Windows, so nothing is converted and nothing lost.
#pragma once
#include <windows.h>

#include <string>

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace win32
