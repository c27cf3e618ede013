#include "banner/PictureHeader.h"

#include <algorithm>
#include <cstdint>

namespace banner {

namespace {

// Little- and big-endian fields; callers check the bounds first.
unsigned Le16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
unsigned Be16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) << 8 | static_cast<unsigned char>(b[at + 1]);
}
std::uint32_t Le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(b, at)) | static_cast<std::uint32_t>(Le16(b, at + 2))
                                                         << 16;
}
unsigned char Byte(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
}

std::optional<PixelSize> Sized(unsigned width, unsigned height) {
    if (width == 0 || height == 0) return std::nullopt;
    return PixelSize{width, height};
}

// The logical screen, then the blocks up to the first image descriptor: a
// frame may claim more than the screen, and decoders size their buffers by
// either.
std::optional<PixelSize> ReadGif(const std::string& b) {
    if (b.size() < 13) return std::nullopt;
    const unsigned width = Le16(b, 6);
    const unsigned height = Le16(b, 8);
    std::size_t at = 13;
    if (Byte(b, 10) & 0x80) at += 3u << ((Byte(b, 10) & 0x07) + 1);  // global colour table
    for (;;) {
        if (at >= b.size()) return std::nullopt;
        const unsigned char block = Byte(b, at);
        if (block == 0x2C) {  // image descriptor: left, top, width, height
            if (at + 10 > b.size()) return std::nullopt;
            const unsigned frameWidth = Le16(b, at + 5);
            const unsigned frameHeight = Le16(b, at + 7);
            if (frameWidth == 0 || frameHeight == 0) return std::nullopt;
            return Sized(std::max(width, frameWidth), std::max(height, frameHeight));
        }
        if (block != 0x21 || at + 2 > b.size()) return std::nullopt;  // only extensions between
        at += 2;                                                      // introducer and label
        // Sub-blocks, each led by its length, up to an empty one.
        for (;;) {
            if (at >= b.size()) return std::nullopt;
            const unsigned length = Byte(b, at);
            at += 1 + length;
            if (length == 0) break;
        }
    }
}

// Markers up to the frame header. Every segment but the few stand-alone
// markers carries its length, so the walk skips what it does not need
// without reading it; the scan data (after SOS) is never reached.
std::optional<PixelSize> ReadJpeg(const std::string& b) {
    std::size_t at = 2;
    for (;;) {
        if (at + 2 > b.size() || Byte(b, at) != 0xFF) return std::nullopt;
        // Any number of 0xFF may pad before a marker.
        while (at + 1 < b.size() && Byte(b, at + 1) == 0xFF) ++at;
        if (at + 2 > b.size()) return std::nullopt;
        const unsigned char marker = Byte(b, at + 1);
        at += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        // Start of image again, end of image or start of scan before any
        // frame header: nothing to size.
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00)
            return std::nullopt;
        if (at + 2 > b.size()) return std::nullopt;
        const unsigned length = Be16(b, at);
        if (length < 2) return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            // Length, precision, height, width. A height of 0 is given later
            // (DNL), which no decoder we feed takes anyway.
            if (length < 7 || at + 7 > b.size()) return std::nullopt;
            return Sized(Be16(b, at + 5), Be16(b, at + 3));
        }
        at += length;
    }
}

// BITMAPCOREHEADER (12 bytes, 16-bit sides) or any later info header
// (16 bytes or more, 32-bit signed sides; a negative height is a top-down
// bitmap).
std::optional<PixelSize> ReadBmp(const std::string& b) {
    if (b.size() < 18) return std::nullopt;
    const std::uint32_t header = Le32(b, 14);
    if (header == 12) {
        if (b.size() < 14 + 12) return std::nullopt;
        return Sized(Le16(b, 18), Le16(b, 20));
    }
    if (header < 16 || b.size() < 14 + 16) return std::nullopt;
    const auto width = static_cast<std::int32_t>(Le32(b, 18));
    const auto height = static_cast<std::int32_t>(Le32(b, 22));
    if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    return Sized(static_cast<unsigned>(width),
                 static_cast<unsigned>(height < 0 ? -height : height));
}

}  // namespace

std::optional<PixelSize> ReadPixelSize(const std::string& bytes) {
    if (bytes.compare(0, 6, "GIF87a") == 0 || bytes.compare(0, 6, "GIF89a") == 0)
        return ReadGif(bytes);
    if (bytes.compare(0, 2, "\xFF\xD8") == 0) return ReadJpeg(bytes);
    if (bytes.compare(0, 2, "BM") == 0) return ReadBmp(bytes);
    return std::nullopt;
}

bool IsBannerPictureSize(const std::string& bytes) {
    const std::optional<PixelSize> size = ReadPixelSize(bytes);
    return size && size->width <= kMaxBannerSide && size->height <= kMaxBannerSide;
}

}  // namespace banner
