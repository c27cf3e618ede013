// Help text is stored in code page 1252, the viewer's ANSI character set on
// Western Windows; the source is kept in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hlpc {

// The code page 1252 byte for a Unicode character, if the page has one.
// Control characters have none: the viewer reads bytes below 0x20 in text as
// commands of its own.
std::optional<char> ToCp1252(char32_t c);

struct Cp1252Result {
    std::string text;  // the converted text (valid when ok)
    bool ok = true;
    char32_t bad = 0;          // the first character that has no byte
    bool badEncoding = false;  // the input is not UTF-8 at all
};

// Converts a line of UTF-8 to code page 1252; stops at the first character
// that cannot be converted.
Cp1252Result Utf8ToCp1252(std::string_view utf8);

}  // namespace hlpc
