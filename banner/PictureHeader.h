// The size a GIF, JPEG or BMP says it has, read from its header alone.
//
// A picture decoder allocates what the header asks for before it looks at
// the rest: a few hundred bytes from the network claiming 15000 x 15000
// pixels cost close to a gigabyte once decoded. The banner's bytes are
// therefore measured before anything decodes or stores them.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace banner {

struct PixelSize {
    unsigned width;
    unsigned height;
};

// The width and height a GIF (logical screen and first frame, the larger of
// each), a JPEG (its frame header, SOF0 to SOF15) or a BMP (its info header)
// declares. Empty for any other format, and for a header that is cut short,
// inconsistent or declares no pixels. Reads only within `bytes`.
std::optional<PixelSize> ReadPixelSize(const std::string& bytes);

// The banner box is some 440 x 73 pixels; twice the screens of the day is
// more than any banner could sensibly need.
inline constexpr unsigned kMaxBannerSide = 2048;

// True when the bytes are a GIF, JPEG or BMP whose header can be read and
// gives at most kMaxBannerSide pixels either way.
bool IsBannerPictureSize(const std::string& bytes);

}  // namespace banner
