// Smallest headers of each picture format the banner takes, of any size,
// for tests that feed pictures to the banner's logic.
#pragma once
#include <cstdint>
#include <string>

namespace test_pictures {

inline std::string Le16(unsigned v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
inline std::string Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A GIF of one frame the size of its screen, two-colour table, no pixels.
inline std::string Gif(unsigned width, unsigned height) {
    return "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\x00\x00", 3) +
           std::string(6, '\x00') + '\x2C' + Le16(0) + Le16(0) + Le16(width) + Le16(height) +
           std::string("\x00\x02\x02\x44\x01\x00\x3B", 7);
}

// A JPEG with an APP0 segment and the frame header `sof` (baseline SOF0 by
// default).
inline std::string Jpeg(unsigned width, unsigned height, unsigned char sof = 0xC0) {
    const std::string app0 =
        std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const std::string frame = std::string{'\xFF',
                                          static_cast<char>(sof),
                                          '\x00',
                                          '\x0B',
                                          '\x08',
                                          static_cast<char>(height >> 8),
                                          static_cast<char>(height & 0xFF),
                                          static_cast<char>(width >> 8),
                                          static_cast<char>(width & 0xFF)} +
                              std::string("\x01\x01\x11\x00", 4);
    return std::string("\xFF\xD8", 2) + app0 + frame + std::string("\xFF\xD9", 2);
}

// A BMP file header and BITMAPINFOHEADER (24 bits, no pixels); a negative
// height is a top-down bitmap.
inline std::string Bmp(std::int32_t width, std::int32_t height) {
    return "BM" + Le32(54) + Le32(0) + Le32(54) + Le32(40) +
           Le32(static_cast<std::uint32_t>(width)) + Le32(static_cast<std::uint32_t>(height)) +
           Le16(1) + Le16(24) + std::string(24, '\0');
}

}  // namespace test_pictures
