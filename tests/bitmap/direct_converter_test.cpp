// What only the direct converter does: its tests of the file's bytes and its byte-wise key.
#include <gtest/gtest.h>

#include "bitmap/converters.h"
#include "platform/byte_reader.h"
#include "support/bmp_builder.h"
#include "support/byte_builder.h"

namespace tavrin {
namespace {

using testing::BmpImage;
using testing::BuildBmp;

BmpImage Plain(std::int32_t width, std::int32_t height) {
    BmpImage image;
    image.width = width;
    image.height = height;
    image.pixels = testing::PatternPixels(width, height);
    return image;
}

ByteBuffer WithSizeImage(BmpImage image, std::uint32_t sizeImage) {
    image.sizeImage = sizeImage;
    return BuildBmp(image);
}

TEST(DirectConverter, AcceptsAndRefusesSources) {
    ByteBuffer header54 = testing::ByteBuilder().Text("BM").PadTo(54).Take();
    ByteBuffer lowerCase = BuildBmp(Plain(2, 2));
    lowerCase[0] = 'b', lowerCase[1] = 'm';
    ByteBuffer swapped = BuildBmp(Plain(2, 2));
    swapped[0] = 'M', swapped[1] = 'B';
    ByteBuffer shortByOne = BuildBmp(Plain(3, 2));
    shortByOne.pop_back();
    BmpImage eightBit = Plain(2, 2);
    eightBit.bitCount = 8;
    eightBit.palette.assign(256, 0x112233);
    eightBit.pixels = {1, 2, 3, 4};
    BmpImage thirtyTwo = Plain(2, 2);
    thirtyTwo.bitCount = 32;

    struct Case {
        const char* name;
        ByteBuffer source;
        bool converted;
    };
    const Case cases[] = {
        {"empty", {}, false},
        {"53 bytes", ByteBuffer(header54.begin(), header54.end() - 1), false},
        {"54 bytes, 0 x 0", header54, true},
        {"\"bm\"", lowerCase, false},
        {"\"MB\"", swapped, false},
        {"biSizeImage 0", WithSizeImage(Plain(2, 2), 0), false},
        {"biSizeImage one short of the rows", WithSizeImage(Plain(3, 2), 23), false},
        {"biSizeImage negative", WithSizeImage(Plain(3, 2), 0xFFFFFFFF), false},
        {"biSizeImage beyond the file", WithSizeImage(Plain(3, 2), 0x7FFFFFFF), true},
        {"file one byte short of the rows", shortByOne, false},
        {"8 bits, 2 wide", BuildBmp(eightBit), false},
        {"32 bits, taken as 24-bit triples", BuildBmp(thirtyTwo), true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ByteBuffer output = {9};
        EXPECT_EQ(BmpToIcoDirect(test.source, output, {}), test.converted);
        if (!test.converted) {
            EXPECT_EQ(output, ByteBuffer({9}));
        }
    }
}

TEST(DirectConverter, FiftyFourByteSourceGivesTheHeadersAlone) {
    ByteBuffer output;
    ASSERT_TRUE(BmpToIcoDirect(testing::ByteBuilder().Text("BM").PadTo(54).Take(), output, {}));
    ASSERT_EQ(output.size(), 62u);
    EXPECT_EQ(ReadU32At(output, 14), 40u);
    EXPECT_EQ(output[6], 0);
}

TEST(DirectConverter, RowFillBytesOfTheSourceBecomeZero) {
    BmpImage image;
    image.width = 3;
    image.height = 2;
    image.pixels.assign(6, 0x010203);
    image.rowFill = 0xEE;
    ByteBuffer output;
    ASSERT_TRUE(BmpToIcoDirect(BuildBmp(image), output, {}));
    const ByteBuffer row = {1, 2, 3, 1, 2, 3, 1, 2, 3, 0, 0, 0};
    EXPECT_EQ(ByteBuffer(output.begin() + 62, output.begin() + 86),
              testing::ByteBuilder().Bytes(row).Bytes(row).Take());
}

TEST(KeyWithHighBitsSet, DirectKeysOnRedWhileCompatKeysOnNothing) {
    BmpImage image;
    image.width = 2;
    image.height = 1;
    image.pixels = {0x0000FF, 0xFFFFFF};  // red, white
    const ByteBuffer source = BuildBmp(image);
    ConversionOptions options;
    options.transparentColor = 0xFF0000FF;

    ByteBuffer direct, compat;
    ASSERT_TRUE(BmpToIcoDirect(source, direct, options));
    ASSERT_TRUE(BmpToIcoCompat(source, compat, options));
    // Colour data at 62 (8 bytes), mask row at 70.
    EXPECT_EQ(ByteBuffer(direct.begin() + 62, direct.end()),
              ByteBuffer({0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0x80, 0, 0, 0}));
    EXPECT_EQ(ByteBuffer(compat.begin() + 62, compat.end()),
              ByteBuffer({0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x00, 0, 0, 0}));
}

}  // namespace
}  // namespace tavrin
