#pragma once
// Bitmap files built in code: any bit depth, the four header sizes, colour tables, top-down rows,
// compressed marks and stated sizes that lie.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/bytes.h"

namespace tavrin::testing {

enum class BmpHeader { Core12, Info40, V4, V5 };

struct BmpImage {
    std::int32_t width = 0;
    std::int32_t height = 0;  // rows of the picture; topDown stores the height negated
    std::uint16_t bitCount = 24;
    BmpHeader header = BmpHeader::Info40;
    bool topDown = false;
    std::uint16_t planes = 1;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    // Colour values (red in bits 0-7, green 8-15, blue 16-23), written as the colour table.
    std::vector<std::uint32_t> palette;
    // One value per pixel, row 0 at the top: a colour value at 24 and 32 bits, the raw word at 16
    // bits, a colour table index at 1, 4 and 8 bits. Missing pixels are 0.
    std::vector<std::uint32_t> pixels;
    std::uint8_t rowFill = 0;     // value of the fill bytes that end each row
    std::uint8_t fourthByte = 0;  // the unused byte of a 32-bit pixel
    // biSizeImage; the true size of the pixel data when absent.
    std::optional<std::uint32_t> sizeImage;
};

// Bytes per stored row: whole 32-bit words.
std::size_t BmpStride(const BmpImage& image);
// The complete file: file header, info header, colour table and the rows bottom-up (top-down when
// asked), with bfOffBits pointing at the rows.
ByteBuffer BuildBmp(const BmpImage& image);

// A picture of width x height whose pixel values come from a small pattern that includes white.
std::vector<std::uint32_t> PatternPixels(std::int32_t width, std::int32_t height);

}  // namespace tavrin::testing
