#include "support/bmp_builder.h"

#include <cstdlib>

#include "support/byte_builder.h"

namespace tavrin::testing {
namespace {

std::uint32_t HeaderSize(BmpHeader header) {
    switch (header) {
        case BmpHeader::Core12:
            return 12;
        case BmpHeader::Info40:
            return 40;
        case BmpHeader::V4:
            return 108;
        case BmpHeader::V5:
            return 124;
    }
    return 40;
}

void WriteRow(ByteBuilder& out, const BmpImage& image, std::int32_t y) {
    const std::size_t start = out.size();
    std::uint8_t packed = 0;
    int packedBits = 0;
    for (std::int32_t x = 0; x < image.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
        const std::uint32_t value = i < image.pixels.size() ? image.pixels[i] : 0;
        switch (image.bitCount) {
            case 1:
            case 4:
                packed = static_cast<std::uint8_t>((packed << image.bitCount) |
                                                   (value & ((1u << image.bitCount) - 1)));
                packedBits += image.bitCount;
                if (packedBits == 8) {
                    out.U8(packed);
                    packed = 0;
                    packedBits = 0;
                }
                break;
            case 8:
                out.U8(static_cast<std::uint8_t>(value));
                break;
            case 16:
                out.U16(static_cast<std::uint16_t>(value));
                break;
            default:
                out.U8((value >> 16) & 0xFF).U8((value >> 8) & 0xFF).U8(value & 0xFF);
                if (image.bitCount == 32) out.U8(image.fourthByte);
                break;
        }
    }
    if (packedBits != 0) out.U8(static_cast<std::uint8_t>(packed << (8 - packedBits)));
    out.Fill(start + BmpStride(image) - out.size(), image.rowFill);
}

}  // namespace

std::size_t BmpStride(const BmpImage& image) {
    return (static_cast<std::size_t>(image.bitCount) * std::abs(image.width) + 31) / 32 * 4;
}

ByteBuffer BuildBmp(const BmpImage& image) {
    const std::uint32_t headerSize = HeaderSize(image.header);
    const bool core = image.header == BmpHeader::Core12;
    const std::uint32_t entrySize = core ? 3 : 4;
    const auto tableSize = static_cast<std::uint32_t>(image.palette.size() * entrySize);
    const std::uint32_t pixelOffset = 14 + headerSize + tableSize;
    const auto pixelSize = static_cast<std::uint32_t>(BmpStride(image) * std::abs(image.height));
    const std::int32_t storedHeight = image.topDown ? -image.height : image.height;

    ByteBuilder out;
    out.Text("BM").U32(pixelOffset + pixelSize).U32(0).U32(pixelOffset);
    out.U32(headerSize);
    if (core) {
        out.U16(static_cast<std::uint16_t>(image.width))
            .U16(static_cast<std::uint16_t>(storedHeight))
            .U16(image.planes)
            .U16(image.bitCount);
    } else {
        out.I32(image.width).I32(storedHeight).U16(image.planes).U16(image.bitCount);
        out.U32(image.compression).U32(image.sizeImage.value_or(pixelSize));
        out.U32(2835).U32(2835).U32(image.clrUsed).U32(0);
        out.PadTo(14 + headerSize);  // the masks, colour space and profile fields of V4 and V5
    }
    for (std::uint32_t colour : image.palette) {
        out.U8((colour >> 16) & 0xFF).U8((colour >> 8) & 0xFF).U8(colour & 0xFF);
        if (!core) out.U8(0);
    }
    const std::int32_t rows = std::abs(image.height);
    for (std::int32_t i = 0; i < rows; ++i) {
        WriteRow(out, image, image.topDown ? i : rows - 1 - i);
    }
    return out.Take();
}

std::vector<std::uint32_t> PatternPixels(std::int32_t width, std::int32_t height) {
    static constexpr std::uint32_t kColours[] = {0xFFFFFF, 0x0A141E, 0x000000, 0xFEFFFF,
                                                 0x123456, 0xFFFFFF, 0x00FF00, 0xFFFEFF};
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            pixels.push_back(kColours[(x * 3 + y * 5 + x * y) % 8]);
        }
    }
    return pixels;
}

}  // namespace tavrin::testing
