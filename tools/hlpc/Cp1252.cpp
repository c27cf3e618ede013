#include "tools/hlpc/Cp1252.h"

#include <array>
#include <cstdint>

namespace hlpc {

namespace {

// Code page 1252 puts typographic characters where ISO 8859-1 has the C1
// controls; five slots stay empty.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88..8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98..9F
};

}  // namespace

std::optional<char> ToCp1252(char32_t c) {
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

Cp1252Result Utf8ToCp1252(std::string_view utf8) {
    Cp1252Result r;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto lead = static_cast<std::uint8_t>(utf8[i]);
        int extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07, least = 0x10000;
        } else {
            r.ok = false, r.badEncoding = true;
            return r;
        }
        if (i + extra >= utf8.size()) {
            r.ok = false, r.badEncoding = true;
            return r;
        }
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<std::uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                r.ok = false, r.badEncoding = true;
                return r;
            }
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8.
        if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            r.ok = false, r.badEncoding = true;
            return r;
        }
        auto byte = ToCp1252(c);
        if (!byte) {
            r.ok = false, r.bad = c;
            return r;
        }
        r.text += *byte;
        i += 1 + extra;
    }
    return r;
}

}  // namespace hlpc
