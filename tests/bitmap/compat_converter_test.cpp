// The compatibility converter reads every layout the reader loads. Each source here is compared
// with the direct converter's output for the same picture stored as plain 24-bit rows.
#include <gtest/gtest.h>

#include <functional>

#include "bitmap/converters.h"
#include "support/bmp_builder.h"

namespace tavrin {
namespace {

using testing::BmpHeader;
using testing::BmpImage;
using testing::BuildBmp;

// The picture of an image as colour values, rows from the top.
std::vector<std::uint32_t> Colours(const BmpImage& image,
                                   const std::function<std::uint32_t(std::uint32_t)>& colourOf) {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t value : image.pixels) colours.push_back(colourOf(value));
    return colours;
}

ByteBuffer Plain24(const BmpImage& image, std::vector<std::uint32_t> colours) {
    BmpImage plain;
    plain.width = image.width;
    plain.height = image.height;
    plain.pixels = std::move(colours);
    return BuildBmp(plain);
}

BmpImage Indexed(std::uint16_t bitCount, std::int32_t width, std::int32_t height) {
    BmpImage image;
    image.bitCount = bitCount;
    image.width = width;
    image.height = height;
    const std::uint32_t colours = 1u << bitCount;
    for (std::uint32_t i = 0; i < colours; ++i) {
        // White at index 1, so some pixels become transparent.
        image.palette.push_back(i == 1 ? 0xFFFFFF : 0x010000 * (i * 7 % 256) + 0x0100 * i + 0x40);
    }
    for (std::int32_t i = 0; i < width * height; ++i)
        image.pixels.push_back((i * 5 + i / 3) % colours);
    return image;
}

std::uint32_t Expand16(std::uint32_t word) {
    const std::uint32_t blue = (word & 0x1F) * 8, green = ((word >> 5) & 0x1F) * 8,
                        red = ((word >> 10) & 0x1F) * 8;
    return red | green << 8 | blue << 16;
}

TEST(CompatConverter, EveryLoadedLayoutMatchesThePlain24BitPicture) {
    struct Case {
        const char* name;
        BmpImage image;
        std::function<std::uint32_t(std::uint32_t)> colourOf;
    };
    std::vector<Case> cases;
    for (std::uint16_t bits : {1, 4, 8}) {
        for (BmpHeader header : {BmpHeader::Info40, BmpHeader::Core12}) {
            BmpImage image = Indexed(bits, 41, 8);  // big enough for the core-header bound
            image.header = header;
            const auto palette = image.palette;
            cases.push_back({header == BmpHeader::Core12 ? "core header" : "info header", image,
                             [palette](std::uint32_t index) { return palette[index]; }});
        }
    }
    {
        BmpImage image = Indexed(8, 6, 3);
        image.palette.resize(6);
        image.clrUsed = 6;
        for (auto& index : image.pixels) index %= 6;
        const auto palette = image.palette;
        cases.push_back({"8 bits with biClrUsed 6", image,
                         [palette](std::uint32_t index) { return palette[index]; }});
    }
    {
        BmpImage image;
        image.bitCount = 16;
        image.width = 5;
        image.height = 3;
        image.pixels = {0x7FFF, 0xFFFF, 0x0000, 0x001F, 0x03E0, 0x7C00, 0x1234, 0x7FFF,
                        0x4210, 0x0421, 0x7FFF, 0x0001, 0x2000, 0x3DEF, 0x5555};
        cases.push_back({"16 bits", image, Expand16});
    }
    {
        BmpImage image;
        image.bitCount = 32;
        image.width = 4;
        image.height = 3;
        image.pixels = testing::PatternPixels(4, 3);
        image.fourthByte = 0xFF;
        cases.push_back({"32 bits", image, [](std::uint32_t colour) { return colour; }});
    }
    {
        BmpImage image;
        image.width = 7;
        image.height = 3;
        image.pixels = testing::PatternPixels(7, 3);
        image.sizeImage = 0;
        cases.push_back({"24 bits, biSizeImage 0", image, [](std::uint32_t c) { return c; }});
    }
    {
        BmpImage image;
        image.width = 3;
        image.height = 2;
        image.pixels = testing::PatternPixels(3, 2);
        image.clrUsed = 2;
        image.palette = {0x111111, 0x222222};
        cases.push_back({"24 bits with a table of two it steps over", image,
                         [](std::uint32_t c) { return c; }});
    }

    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.name) + ", " + std::to_string(test.image.bitCount) + " bits");
        ByteBuffer expected, actual;
        ASSERT_TRUE(
            BmpToIcoDirect(Plain24(test.image, Colours(test.image, test.colourOf)), expected, {}));
        ASSERT_TRUE(BmpToIcoCompat(BuildBmp(test.image), actual, {}));
        EXPECT_EQ(actual, expected);
    }
}

TEST(CompatConverter, SixteenBitColoursNeverMatchWhite) {
    BmpImage image;
    image.bitCount = 16;
    image.width = 2;
    image.height = 1;
    image.pixels = {0x7FFF, 0xFFFF};
    ByteBuffer output;
    ASSERT_TRUE(BmpToIcoCompat(BuildBmp(image), output, {}));
    EXPECT_EQ(ByteBuffer(output.begin() + 62, output.end()),
              ByteBuffer({0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0, 0, 0, 0, 0, 0}));
}

TEST(CompatConverter, SourcesTheReaderRefusesFailAndKeepOutput) {
    BmpImage compressed = Indexed(8, 2, 2);
    compressed.compression = 1;
    BmpImage v4 = Indexed(8, 2, 2);
    v4.header = BmpHeader::V4;
    BmpImage v5 = v4;
    v5.header = BmpHeader::V5;
    ByteBuffer notBitmap(100, 'x');
    for (const ByteBuffer& source :
         {ByteBuffer{}, notBitmap, BuildBmp(compressed), BuildBmp(v4), BuildBmp(v5)}) {
        ByteBuffer output = {4, 5};
        EXPECT_FALSE(BmpToIcoCompat(source, output, {}));
        EXPECT_EQ(output, ByteBuffer({4, 5}));
    }
}

}  // namespace
}  // namespace tavrin
