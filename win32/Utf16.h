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

// UTF-8, for a path that passes through portable code holding std::string
// (the banner's): every character survives the round trip. Empty for the
// empty text, and for text that is not valid UTF-16 or UTF-8.
inline std::string Utf8(const std::u16string& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, Wide(text), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Wide(text), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

inline std::u16string FromUtf8(const std::string& text) {
    if (text.empty()) return std::u16string();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::u16string();
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

}  // namespace win32
