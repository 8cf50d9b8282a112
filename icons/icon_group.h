#pragma once
// An icon held in memory: a group of images, one per size and colour depth, each kept exactly as
// its source stores it (a DIB, or a whole PNG file).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavrin {

struct IconImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::unique_ptr<std::uint8_t[]> data;
    std::uint32_t dataSize = 0;
    // Addresses inside data, set by DeriveImageLayout; null where the image's bytes do not hold
    // what they would point at (a PNG image, or a DIB too short for its header or bitmaps).
    std::uint8_t* header = nullptr;
    std::uint8_t* xorBits = nullptr;
    std::uint8_t* andBits = nullptr;  // also null when the XOR bitmap is

    std::span<const std::uint8_t> bytes() const { return {data.get(), dataSize}; }
};

struct IconGroup {
    std::string iconFilePath;    // empty for a group read from a module
    std::string moduleFilePath;  // empty for a group read from an icon file
    std::uint32_t imageCount = 0;
    std::vector<IconImage> images;  // imageCount entries, in the source's directory order
};

using IconGroupPtr = std::unique_ptr<IconGroup>;

inline constexpr std::uint32_t kDibHeaderSize = 40;  // a BITMAPINFOHEADER

// What an image's bytes hold: a whole PNG file (they begin with its signature), a DIB (at least a
// whole 40-byte BITMAPINFOHEADER), or neither, which is carried through unchanged.
enum class ImageKind { Dib, Png, Other };
ImageKind KindOf(std::span<const std::uint8_t> data);
inline ImageKind KindOf(const IconImage& image) {
    return KindOf(image.bytes());
}

// Sets width, height, bitsPerPixel, header, xorBits and andBits from data and dataSize: for a DIB
// from its BITMAPINFOHEADER (height is half of biHeight), for a PNG from its IHDR (bitsPerPixel is
// bit depth × channels), and zeros and null pointers for anything else. Never reads outside data.
void DeriveImageLayout(IconImage& image);

// The DIB calculations over a BITMAPINFOHEADER at the start of header. A field that the span does
// not hold counts as 0.
std::uint16_t DibColorCount(std::span<const std::uint8_t> header);
std::uint16_t DibColorTableSize(std::span<const std::uint8_t> header);
std::int32_t DibRowStride(std::span<const std::uint8_t> header);
// Offset of the first pixel byte from the header's start: biSize + DibColorTableSize.
std::uint64_t DibBitsStart(std::span<const std::uint8_t> header);

// Releases a group with every image; given none, does nothing.
void FreeIconGroup(IconGroupPtr group);

}  // namespace tavrin
