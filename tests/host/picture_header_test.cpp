// The picture sizes read from GIF, JPEG and BMP headers, and the bound that
// keeps a header from the network from making the decoder allocate a
// screenful many times over.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "banner/PictureHeader.h"
#include "tests/host/picture_bytes.h"

namespace {

using namespace test_pictures;

struct SizeCase {
    const char* name;
    std::string bytes;
    std::optional<banner::PixelSize> size;  // empty: no size can be read
};

class PixelSize : public testing::TestWithParam<SizeCase> {};

TEST_P(PixelSize, IsReadFromTheHeaderOnly) {
    const SizeCase& c = GetParam();
    const std::optional<banner::PixelSize> got = banner::ReadPixelSize(c.bytes);
    ASSERT_EQ(got.has_value(), c.size.has_value());
    if (got) {
        EXPECT_EQ(got->width, c.size->width);
        EXPECT_EQ(got->height, c.size->height);
    }
    // Whatever the header says, every shorter piece of it reads as no size
    // or the same size, never as another one, and never reads past its end.
    for (std::size_t n = 0; n < c.bytes.size(); ++n) {
        const std::optional<banner::PixelSize> cut = banner::ReadPixelSize(c.bytes.substr(0, n));
        if (cut && got) {
            EXPECT_TRUE(cut->width == got->width && cut->height == got->height) << n;
        }
    }
}

std::string JpegSegment(unsigned char marker, const std::string& payload) {
    const std::size_t n = payload.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(n >> 8),
                       static_cast<char>(n & 0xFF)} +
           payload;
}

std::string GifWithFrame(unsigned screenW, unsigned screenH, unsigned frameW, unsigned frameH) {
    std::string gif = Gif(screenW, screenH);
    gif.resize(13);
    gif[10] = '\x00';                                           // no colour table
    gif += std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);  // graphic control extension
    return gif + '\x2C' + Le16(0) + Le16(0) + Le16(frameW) + Le16(frameH) + '\x00';
}

using P = banner::PixelSize;

INSTANTIATE_TEST_SUITE_P(
    Headers, PixelSize,
    testing::Values(
        SizeCase{"Gif89", Gif(468, 60), P{468, 60}},
        SizeCase{"Gif87", "GIF87a" + Gif(1, 2).substr(6), P{1, 2}},
        SizeCase{"GifFrameLargerThanScreen", GifWithFrame(10, 10, 20000, 5), P{20000, 10}},
        SizeCase{"GifWithoutFrame", Gif(10, 10).substr(0, 13 + 6), std::nullopt},
        SizeCase{"GifZeroSide", Gif(0, 60), std::nullopt},
        SizeCase{"GifZeroFrame", GifWithFrame(10, 10, 0, 10), std::nullopt},
        SizeCase{"GifUnknownBlock", Gif(10, 10).substr(0, 19) + "\x3B", std::nullopt},
        SizeCase{"Jpeg", Jpeg(640, 480), P{640, 480}},
        SizeCase{"JpegProgressive", Jpeg(300, 200, 0xC2), P{300, 200}},
        SizeCase{
            "JpegFillBytes",
            std::string("\xFF\xD8\xFF\xFF\xFF", 5) +
                JpegSegment(0xC0, std::string("\x08\x00\x10\x00\x20\x01\x01\x11\x00", 9)).substr(1),
            P{32, 16}},
        // Tables and restart markers before the frame header are skipped;
        // DHT, JPG and DAC are not frame headers though they sit among them.
        SizeCase{"JpegTablesFirst",
                 std::string("\xFF\xD8", 2) + JpegSegment(0xC4, std::string(20, '\x7F')) +
                     JpegSegment(0xCC, "ab") + JpegSegment(0xC8, "cd") + "\xFF\xD0" +
                     JpegSegment(0xC1, std::string("\x08\x00\x02\x00\x03\x01", 6)),
                 P{3, 2}},
        SizeCase{"JpegScanBeforeFrame",
                 std::string("\xFF\xD8", 2) + JpegSegment(0xDA, "x") + Jpeg(10, 10).substr(2),
                 std::nullopt},
        SizeCase{"JpegEndBeforeFrame", std::string("\xFF\xD8\xFF\xD9", 4), std::nullopt},
        SizeCase{"JpegNoMarker", std::string("\xFF\xD8\x00\x00", 4) + Jpeg(10, 10), std::nullopt},
        SizeCase{"JpegLengthTooShort", std::string("\xFF\xD8\xFF\xE0\x00\x01", 6) + Jpeg(10, 10),
                 std::nullopt},
        SizeCase{"JpegLengthPastEnd", std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6) + "JFIF",
                 std::nullopt},
        SizeCase{"JpegHeightLater", Jpeg(100, 0), std::nullopt},
        SizeCase{"Bmp", Bmp(440, 73), P{440, 73}},
        SizeCase{"BmpTopDown", Bmp(440, -73), P{440, 73}},
        SizeCase{"BmpCoreHeader",
                 "BM" + std::string(12, '\0') + Le32(12) + Le16(33) + Le16(44) + Le16(1) + Le16(24),
                 P{33, 44}},
        SizeCase{"BmpNegativeWidth", Bmp(-440, 73), std::nullopt},
        SizeCase{"BmpMostNegativeHeight", Bmp(440, INT32_MIN), std::nullopt},
        SizeCase{"BmpUnknownHeader", "BM" + std::string(12, '\0') + Le32(8) + Le32(1) + Le32(1),
                 std::nullopt},
        SizeCase{"Png", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(16, '\x01'),
                 std::nullopt},
        SizeCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

TEST(BannerPictureSize, TakesUpTo2048EitherWay) {
    for (const std::string& bytes :
         {Gif(2048, 2048), Jpeg(2048, 1), Bmp(1, 2048), Bmp(2048, -2048), Gif(468, 60)})
        EXPECT_TRUE(banner::IsBannerPictureSize(bytes));
    for (const std::string& bytes :
         {Gif(15000, 15000), Jpeg(15000, 15000), Bmp(15000, 15000), Gif(2049, 1), Jpeg(1, 2049),
          Bmp(2049, 60), Bmp(60, -2049), GifWithFrame(60, 60, 60, 2049), Bmp(65536 + 60, 60)})
        EXPECT_FALSE(banner::IsBannerPictureSize(bytes));
    EXPECT_FALSE(banner::IsBannerPictureSize("GIF89a-bytes"));
}

}  // namespace
