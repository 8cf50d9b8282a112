#include "icons/icon_group.h"

#include <gtest/gtest.h>

#include "support/byte_builder.h"
#include "support/icon_builder.h"

namespace tavrin {
namespace {

using testing::BuildDibImage;
using testing::BuildPngImage;
using testing::DibSpec;
using testing::ImageFromBytes;
using testing::PngSpec;

// A lone BITMAPINFOHEADER for the calculations that read nothing past it.
ByteBuffer Header(std::int32_t width, std::uint16_t planes, std::uint16_t bitCount,
                  std::uint32_t clrUsed, std::uint32_t biSize = 40) {
    return testing::ByteBuilder()
        .U32(biSize)
        .I32(width)
        .U32(2u * static_cast<std::uint32_t>(width))
        .U16(planes)
        .U16(bitCount)
        .Fill(16)
        .U32(clrUsed)
        .U32(0)
        .Take();
}

TEST(DibCalculations, FollowTheHeaderFields) {
    struct Case {
        const char* name;
        ByteBuffer header;
        std::uint16_t colorCount;
        std::uint16_t tableSize;
        std::int32_t stride;
        std::uint64_t bitsStart;
    };
    const Case cases[] = {
        {"32x32 4-bit", Header(32, 1, 4, 0), 16, 64, 16, 104},
        {"8-bit without biClrUsed", Header(32, 1, 8, 0), 256, 1024, 32, 1064},
        {"1-bit", Header(32, 1, 1, 0), 2, 8, 4, 48},
        {"2-bit has no table", Header(32, 1, 2, 0), 0, 0, 8, 40},
        {"24-bit", Header(32, 1, 24, 0), 0, 0, 96, 40},
        {"32-bit", Header(256, 1, 32, 0), 0, 0, 1024, 40},
        {"biClrUsed wins over the bit count", Header(32, 1, 8, 12), 12, 48, 32, 88},
        {"biClrUsed 20000 wraps the table size", Header(16, 1, 8, 20000), 20000, 14464, 16,
         40 + 14464},
        {"biClrUsed uses its low 16 bits", Header(16, 1, 8, 0x10003), 3, 12, 16, 52},
        {"two planes double the stride, not the table", Header(32, 2, 4, 0), 16, 64, 32, 104},
        {"odd width rounds rows up to 4 bytes", Header(3, 1, 24, 0), 0, 0, 12, 40},
        {"a longer header is stepped over whole", Header(16, 1, 4, 0, 108), 16, 64, 8, 172},
        {"negative width gives a negative stride", Header(-8, 1, 32, 0), 0, 0, -32, 40},
        // 32 × 0x7FFFFFFF wraps to -32 in 32-bit arithmetic instead of overflowing.
        {"huge width wraps", Header(0x7FFFFFFF, 1, 32, 0), 0, 0, -4, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DibColorCount(c.header), c.colorCount);
        EXPECT_EQ(DibColorTableSize(c.header), c.tableSize);
        EXPECT_EQ(DibRowStride(c.header), c.stride);
        EXPECT_EQ(DibBitsStart(c.header), c.bitsStart);
    }
}

TEST(DeriveImageLayout, DibFieldsAndAddresses) {
    struct Case {
        const char* name;
        DibSpec shape;
        std::uint32_t width;
        std::uint32_t height;
        std::uint32_t bitsPerPixel;
        std::ptrdiff_t xorOffset;
        std::ptrdiff_t andOffset;
    };
    const Case cases[] = {
        {"32x32 4-bit", {.width = 32, .height = 32, .bitCount = 4}, 32, 32, 4, 104, 104 + 512},
        {"256x256 32-bit keeps its width",
         {.width = 256, .height = 256, .bitCount = 32},
         256,
         256,
         32,
         40,
         40 + 256 * 1024},
        {"two planes of 4 bits",
         {.width = 32, .height = 32, .bitCount = 4, .planes = 2},
         32,
         32,
         8,
         104,
         104 + 32 * 32},
        {"odd biHeight truncates",
         {.width = 16, .height = 16, .biHeight = 33},
         16,
         16,
         4,
         104,
         104 + 8 * 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconImage image = ImageFromBytes(BuildDibImage(c.shape));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(image.header, image.data.get());
        EXPECT_EQ(image.xorBits - image.data.get(), c.xorOffset);
        EXPECT_EQ(image.andBits - image.data.get(), c.andOffset);
    }
}

// An address is set only when what it points at lies wholly inside the image's data.
TEST(DeriveImageLayout, AddressesStayInsideTheData) {
    const ByteBuffer full = BuildDibImage({.width = 32, .height = 32, .bitCount = 4});  // 744 bytes
    auto cut = [&](std::size_t size) { return ByteBuffer(full.begin(), full.begin() + size); };
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        ByteBuffer bytes = full;
        for (int i = 0; i < 4; ++i) bytes[offset + i] = (value >> (8 * i)) & 0xFF;
        return bytes;
    };
    struct Case {
        const char* name;
        ByteBuffer bytes;
        bool header;
        bool xorBits;
        bool andBits;
    };
    const Case cases[] = {
        {"whole image", full, true, true, true},
        {"AND mask one byte short", cut(743), true, true, false},
        {"XOR bitmap one byte short", cut(615), true, false, false},
        {"header and colour table only", cut(104), true, false, false},
        {"header only", cut(40), true, false, false},
        {"biClrUsed past the data", patched(32, 0xFFFF), true, false, false},
        {"biSize past the data", patched(0, 0xFFFFFFFF), true, false, false},
        {"negative width", patched(4, 0xFFFFFFE0), true, false, false},
        {"negative height", patched(8, static_cast<std::uint32_t>(-64)), true, false, false},
        // 4 × 0x7FFFFFFF wraps to a stride of 0, but the AND mask's rows do not.
        {"huge width", patched(4, 0x7FFFFFFF), true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconImage image = ImageFromBytes(c.bytes);
        EXPECT_EQ(image.header != nullptr, c.header);
        EXPECT_EQ(image.xorBits != nullptr, c.xorBits);
        EXPECT_EQ(image.andBits != nullptr, c.andBits);
    }
}

TEST(DeriveImageLayout, PngTakesItsFieldsFromIhdr) {
    struct Case {
        const char* name;
        PngSpec shape;
        std::uint32_t bitsPerPixel;
    };
    const Case cases[] = {
        {"RGBA", {.width = 256, .height = 256, .bitDepth = 8, .colorType = 6}, 32},
        {"RGB", {.width = 48, .height = 32, .bitDepth = 8, .colorType = 2}, 24},
        {"grey and alpha", {.width = 16, .height = 16, .bitDepth = 16, .colorType = 4}, 32},
        {"grey", {.width = 16, .height = 16, .bitDepth = 1, .colorType = 0}, 1},
        {"palette", {.width = 16, .height = 16, .bitDepth = 4, .colorType = 3}, 4},
        {"undefined colour type", {.width = 16, .height = 16, .bitDepth = 8, .colorType = 5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconImage image = ImageFromBytes(BuildPngImage(c.shape));
        EXPECT_EQ(image.width, c.shape.width);
        EXPECT_EQ(image.height, c.shape.height);
        EXPECT_EQ(image.bitsPerPixel, c.bitsPerPixel);
        // Bytes 20-23 are the PNG's height, not biSizeImage: nothing may treat them as a DIB.
        EXPECT_EQ(image.header, nullptr);
        EXPECT_EQ(image.xorBits, nullptr);
        EXPECT_EQ(image.andBits, nullptr);
    }
}

TEST(DeriveImageLayout, NeitherDibNorPngDerivesNothing) {
    ByteBuffer png = BuildPngImage({});
    const ByteBuffer cases[] = {
        {},
        ByteBuffer(39, 0x28),
        ByteBuffer(png.begin(), png.begin() + 20),  // signature, but IHDR cut short
    };
    for (const ByteBuffer& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        IconImage image = ImageFromBytes(bytes);
        EXPECT_EQ(image.width, 0u);
        EXPECT_EQ(image.height, 0u);
        EXPECT_EQ(image.bitsPerPixel, 0u);
        EXPECT_EQ(image.header, nullptr);
        EXPECT_EQ(image.xorBits, nullptr);
        EXPECT_EQ(image.andBits, nullptr);
    }
}

}  // namespace
}  // namespace tavrin
