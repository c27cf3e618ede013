// Text as advapi32's ANSI calls convert it on a Western system (code page
// 1252), and names compared as the registry compares them. The in-memory
// registry uses these so that an ANSI call there sees what it sees on
// Windows: a character the code page lacks becomes its best fit ("Ā" is "A",
// "α" is "a") or '?', so an ANSI caller can neither show nor name it.
#pragma once
#include <cstddef>
#include <string>

namespace reg::ansi {

// Each byte is one character (every byte of 1252 has one).
std::u16string ToWide(const char* text, std::size_t length);
std::u16string ToWide(const std::string& text);
// Each character is one byte: its own, its best fit, or '?'.
std::string FromWide(const char16_t* text, std::size_t length);
std::string FromWide(const std::u16string& text);

// The capital of a letter of the Latin, Greek or Cyrillic alphabets (and of
// the full-width Latin letters); any other character is itself. Windows's
// own table has more, but these are the names a user meets.
char16_t Upcase(char16_t c);
bool SameName(const std::u16string& a, const std::u16string& b);

}  // namespace reg::ansi
