// The converted icon file, byte by byte, as both converters write it from 24-bit sources.
#include <gtest/gtest.h>

#include <vector>

#include "converter_cases.h"
#include "platform/byte_reader.h"
#include "support/bmp_builder.h"

namespace tavrin {
namespace {

using testing::BmpImage;
using testing::BuildBmp;
using testing::kConverters;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

ByteBuffer Source(std::int32_t width, std::int32_t height, std::vector<std::uint32_t> pixels) {
    BmpImage image;
    image.width = width;
    image.height = height;
    image.pixels = std::move(pixels);
    ByteBuffer bytes = BuildBmp(image);
    // One byte behind the pixels, so that a picture without pixel bytes still has a byte behind
    // its pixel offset (the reader needs one); the direct converter never reads it.
    bytes.push_back(0x5A);
    return bytes;
}

ByteBuffer Slice(const ByteBuffer& bytes, std::size_t offset, std::size_t length) {
    if (offset > bytes.size() || length > bytes.size() - offset) return {};
    return ByteBuffer(bytes.begin() + offset, bytes.begin() + offset + length);
}

struct LayoutCase {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    std::vector<std::uint32_t> pixels;  // row 0 on top
    ConversionOptions options;
    std::size_t fileSize;
    ByteBuffer colour;  // expected colour data, bottom row first; not checked when empty
    ByteBuffer mask;    // expected mask, bottom row first; not checked when empty
};

std::vector<std::uint32_t> Repeat(std::size_t count, std::uint32_t value) {
    return std::vector<std::uint32_t>(count, value);
}

std::vector<std::uint32_t> EdgeColumnsWhite(std::int32_t width, std::int32_t height) {
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            pixels.push_back(x == 0 || x == width - 1 ? kWhite : kBlack);
        }
    }
    return pixels;
}

ByteBuffer Times(std::size_t count, const ByteBuffer& row) {
    ByteBuffer out;
    for (std::size_t i = 0; i < count; ++i) out.insert(out.end(), row.begin(), row.end());
    return out;
}

std::vector<LayoutCase> LayoutCases() {
    ConversionOptions keyBlack;
    keyBlack.transparentColor = 0;
    ConversionOptions cursor;
    cursor.asCursor = true;
    cursor.hotspotX = 300;
    cursor.hotspotY = 7;
    std::vector<std::uint32_t> tenPixels = Repeat(10, kBlack);
    tenPixels[0] = tenPixels[8] = kWhite;
    return {
        {"16x16",
         16,
         16,
         Repeat(256, 0x102030),
         {},
         894,
         Times(16, Times(16, {0x10, 0x20, 0x30})),
         ByteBuffer(64, 0)},
        {"1x1 transparent", 1, 1, {kWhite}, {}, 70, {0, 0, 0, 0}, {0x80, 0, 0, 0}},
        {"1x1 opaque", 1, 1, {0x0A141E}, {}, 70, {0x0A, 0x14, 0x1E, 0}, {0, 0, 0, 0}},
        {"3x2 all transparent",
         3,
         2,
         Repeat(6, kWhite),
         {},
         94,
         ByteBuffer(24, 0),
         {0xE0, 0, 0, 0, 0xE0, 0, 0, 0}},
        {"10 pixels, 1st and 9th transparent",
         10,
         1,
         tenPixels,
         {},
         62 + 32 + 4,
         ByteBuffer(32, 0),
         {0x80, 0x80, 0, 0}},
        {"24x24 rows 4 bytes apart",
         24,
         24,
         EdgeColumnsWhite(24, 24),
         {},
         62 + 24 * 72 + 96,
         {},
         Times(24, {0x80, 0x00, 0x01, 0x00})},
        {"33 wide takes two mask words",
         33,
         1,
         EdgeColumnsWhite(33, 1),
         {},
         62 + 100 + 8,
         {},
         {0x80, 0, 0, 0, 0x80, 0, 0, 0}},
        {"only white is keyed",
         3,
         1,
         {kWhite, 0xFFFFFE, 0xFEFFFF},
         {},
         62 + 12 + 4,
         {0, 0, 0, 0xFF, 0xFF, 0xFE, 0xFE, 0xFF, 0xFF, 0, 0, 0},
         {0x80, 0, 0, 0}},
        {"key of 0: black transparent, white opaque",
         2,
         1,
         {kWhite, kBlack},
         keyBlack,
         62 + 8 + 4,
         {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0},
         {0x40, 0, 0, 0}},
        {"width 0", 0, 5, {}, {}, 62, {}, {}},
        {"height 0", 5, 0, {}, {}, 62, {}, {}},
        {"cursor", 2, 2, Repeat(4, kBlack), cursor, 62 + 16 + 8, ByteBuffer(16, 0),
         ByteBuffer(8, 0)},
    };
}

TEST(ConvertedIcon, LayoutOfEdgeCasesFromBothConverters) {
    for (const LayoutCase& test : LayoutCases()) {
        const ByteBuffer source = Source(test.width, test.height, test.pixels);
        for (const auto& converter : kConverters) {
            SCOPED_TRACE(std::string(test.name) + " / " + converter.name);
            ByteBuffer file;
            ASSERT_TRUE(converter.convert(source, file, test.options));
            ASSERT_EQ(file.size(), test.fileSize);
            const std::size_t colourSize = *ReadU32At(file, 42);
            const std::size_t maskSize = file.size() - 62 - colourSize;

            // ICONDIR and ICONDIRENTRY.
            EXPECT_EQ(ReadU16At(file, 0), 0);
            EXPECT_EQ(ReadU16At(file, 2), test.options.asCursor ? 2 : 1);
            EXPECT_EQ(ReadU16At(file, 4), 1);
            EXPECT_EQ(file[6], test.width);
            EXPECT_EQ(file[7], test.height);
            EXPECT_EQ(ReadU16At(file, 8), 0);
            EXPECT_EQ(ReadU16At(file, 10), test.options.asCursor ? 44 : 1);
            EXPECT_EQ(ReadU16At(file, 12), test.options.asCursor ? 7 : 24);
            EXPECT_EQ(ReadU32At(file, 14), file.size() - 22);
            EXPECT_EQ(ReadU32At(file, 18), 22u);
            // BITMAPINFOHEADER: the colour image and the mask stacked, no colour table.
            EXPECT_EQ(ReadU32At(file, 22), 40u);
            EXPECT_EQ(ReadI32At(file, 26), test.width);
            EXPECT_EQ(ReadI32At(file, 30), 2 * test.height);
            EXPECT_EQ(ReadU16At(file, 34), 1);
            EXPECT_EQ(ReadU16At(file, 36), 24);
            EXPECT_EQ(colourSize,
                      static_cast<std::size_t>(test.height) * (3 * test.width + test.width % 4));
            EXPECT_EQ(maskSize,
                      static_cast<std::size_t>(test.height) * 4 * ((test.width + 31) / 32));
            EXPECT_EQ(Slice(file, 38, 4), ByteBuffer(4, 0));
            EXPECT_EQ(Slice(file, 46, 16), ByteBuffer(16, 0));

            if (!test.colour.empty()) {
                EXPECT_EQ(Slice(file, 62, colourSize), test.colour);
            }
            if (!test.mask.empty()) {
                EXPECT_EQ(Slice(file, 62 + colourSize, maskSize), test.mask);
            }
        }
    }
}

TEST(ConvertedIcon, RowsGoBottomUp) {
    // Top row white (transparent), bottom row red: the bottom row comes first in both parts.
    const ByteBuffer source = Source(1, 2, {kWhite, 0x0000FF});
    for (const auto& converter : kConverters) {
        SCOPED_TRACE(converter.name);
        ByteBuffer file;
        ASSERT_TRUE(converter.convert(source, file, {}));
        EXPECT_EQ(Slice(file, 62, 8), ByteBuffer({0x00, 0x00, 0xFF, 0, 0, 0, 0, 0}));
        EXPECT_EQ(Slice(file, 70, 8), ByteBuffer({0, 0, 0, 0, 0x80, 0, 0, 0}));
    }
}

TEST(ConvertedIcon, SidesOutsideZeroTo255AreRefusedAndOutputKept) {
    struct Side {
        std::int32_t width, height;
        bool converted;
    };
    const Side sides[] = {{255, 255, true}, {256, 1, false}, {1, 256, false}, {255, 1, true}};
    for (const Side& side : sides) {
        const ByteBuffer source = Source(side.width, side.height, {});
        for (const auto& converter : kConverters) {
            SCOPED_TRACE(std::to_string(side.width) + "x" + std::to_string(side.height) + " / " +
                         converter.name);
            ByteBuffer output = {7, 7};
            EXPECT_EQ(converter.convert(source, output, {}), side.converted);
            if (!side.converted) {
                EXPECT_EQ(output, ByteBuffer({7, 7}));
            }
        }
    }
}

TEST(ConvertedIcon, TopDownAndNegativeWidthAreRefusedByBoth) {
    BmpImage topDown;
    topDown.width = 2;
    topDown.height = 2;
    topDown.topDown = true;
    topDown.pixels = {kBlack, kBlack, kBlack, kBlack};
    ByteBuffer negativeWidth = Source(2, 2, {});
    negativeWidth[18] = 0xFE, negativeWidth[19] = negativeWidth[20] = negativeWidth[21] = 0xFF;
    ByteBuffer lowestHeight = Source(1, 1, {});
    lowestHeight[22] = lowestHeight[23] = lowestHeight[24] = 0, lowestHeight[25] = 0x80;
    for (const ByteBuffer& source : {BuildBmp(topDown), negativeWidth, lowestHeight}) {
        for (const auto& converter : kConverters) {
            SCOPED_TRACE(converter.name);
            ByteBuffer output = {1};
            EXPECT_FALSE(converter.convert(source, output, {}));
            EXPECT_EQ(output, ByteBuffer({1}));
        }
    }
}

TEST(ConvertedIcon, ConvertersAgreeOnPlain24BitSources) {
    struct Size {
        std::int32_t width, height;
    };
    const Size sizes[] = {{1, 1},  {2, 3},  {3, 2},   {5, 4},   {10, 7},   {24, 24},
                          {31, 2}, {33, 3}, {255, 2}, {2, 255}, {255, 255}};
    std::vector<ConversionOptions> options(5);
    options[1].transparentColor = 0;
    options[2].transparentColor = 0x123456;
    options[3].asCursor = true;
    options[3].hotspotX = -1;
    options[3].hotspotY = 513;
    options[4].transparentColor = 0x0A141E;
    for (const Size& size : sizes) {
        BmpImage image;
        image.width = size.width;
        image.height = size.height;
        image.pixels = testing::PatternPixels(size.width, size.height);
        image.rowFill = 0xAB;
        const ByteBuffer source = BuildBmp(image);
        for (std::size_t i = 0; i < options.size(); ++i) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) +
                         " options " + std::to_string(i));
            ByteBuffer direct, compat;
            ASSERT_TRUE(BmpToIcoDirect(source, direct, options[i]));
            ASSERT_TRUE(BmpToIcoCompat(source, compat, options[i]));
            EXPECT_EQ(direct, compat);
        }
    }
}

}  // namespace
}  // namespace tavrin
