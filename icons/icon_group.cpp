#include "icons/icon_group.h"

#include "icons/png_header.h"
#include "platform/byte_reader.h"

namespace tavrin {
namespace {

// BITMAPINFOHEADER field offsets.
constexpr std::size_t kBiSize = 0;
constexpr std::size_t kBiWidth = 4;
constexpr std::size_t kBiHeight = 8;
constexpr std::size_t kBiPlanes = 12;
constexpr std::size_t kBiBitCount = 14;
constexpr std::size_t kBiClrUsed = 32;

std::uint32_t U32Or0(std::span<const std::uint8_t> header, std::size_t offset) {
    return ReadU32At(header, offset).value_or(0);
}
std::uint16_t U16Or0(std::span<const std::uint8_t> header, std::size_t offset) {
    return ReadU16At(header, offset).value_or(0);
}

// The address of a region of `size` bytes at `offset` inside data, or null when it is not wholly
// inside (an empty region must still start at a byte of data).
std::uint8_t* Inside(std::uint8_t* data, std::uint32_t dataSize, std::int64_t offset,
                     std::int64_t size) {
    if (offset < 0 || size < 0 || offset >= dataSize || size > dataSize - offset) return nullptr;
    return data + offset;
}

}  // namespace

ImageKind KindOf(std::span<const std::uint8_t> data) {
    if (HasPngSignature(data)) return ImageKind::Png;
    if (data.size() >= kDibHeaderSize) return ImageKind::Dib;
    return ImageKind::Other;
}

std::uint16_t DibColorCount(std::span<const std::uint8_t> header) {
    std::uint32_t clrUsed = U32Or0(header, kBiClrUsed);
    if (clrUsed != 0) return static_cast<std::uint16_t>(clrUsed);
    switch (U16Or0(header, kBiBitCount)) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::uint16_t DibColorTableSize(std::span<const std::uint8_t> header) {
    return static_cast<std::uint16_t>(DibColorCount(header) * 4u);
}

std::int32_t DibRowStride(std::span<const std::uint8_t> header) {
    // Signed 32-bit arithmetic that wraps as the format's own tools compute it; done in unsigned
    // arithmetic so that a hostile width cannot overflow a signed value.
    std::uint32_t bits = std::uint32_t{U16Or0(header, kBiBitCount)} * U16Or0(header, kBiPlanes) *
                         U32Or0(header, kBiWidth);
    auto rounded = static_cast<std::int32_t>(bits + 31u);
    return (rounded >> 3) & ~std::int32_t{3};
}

std::uint64_t DibBitsStart(std::span<const std::uint8_t> header) {
    return std::uint64_t{U32Or0(header, kBiSize)} + DibColorTableSize(header);
}

void DeriveImageLayout(IconImage& image) {
    image.width = image.height = image.bitsPerPixel = 0;
    image.header = image.xorBits = image.andBits = nullptr;
    std::span<const std::uint8_t> data = image.bytes();
    switch (KindOf(data)) {
        case ImageKind::Png:
            if (auto png = ReadPngHeader(data)) {
                image.width = png->width;
                image.height = png->height;
                image.bitsPerPixel = PngBitsPerPixel(*png);
            }
            return;
        case ImageKind::Other:
            return;
        case ImageKind::Dib:
            break;
    }
    std::int32_t biHeight = ReadI32At(data, kBiHeight).value_or(0);
    std::int32_t height = biHeight / 2;
    image.header = image.data.get();
    image.width = U32Or0(data, kBiWidth);
    image.height = static_cast<std::uint32_t>(height);
    image.bitsPerPixel = std::uint32_t{U16Or0(data, kBiPlanes)} * U16Or0(data, kBiBitCount);

    auto xorOffset = static_cast<std::int64_t>(DibBitsStart(data));
    std::int64_t xorSize = std::int64_t{DibRowStride(data)} * height;
    image.xorBits = Inside(image.data.get(), image.dataSize, xorOffset, xorSize);
    if (!image.xorBits) return;
    // The AND mask has one bit per pixel, its rows padded to 4 bytes.
    std::int32_t width = ReadI32At(data, kBiWidth).value_or(0);
    std::int64_t andSize = (std::int64_t{width} + 31) / 32 * 4 * height;
    if (width < 0) andSize = -1;
    image.andBits = Inside(image.data.get(), image.dataSize, xorOffset + xorSize, andSize);
}

void FreeIconGroup(IconGroupPtr group) {
    // The group owns every image's data; releasing the record releases them all.
    group.reset();
}

}  // namespace tavrin
