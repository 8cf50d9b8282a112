#pragma once
// Fixture builders for icon images and icon files, so that a test case is one row: a DIB icon
// image (header, colour table, XOR bitmap, AND mask), a small well-formed PNG file, and an icon
// file around a list of images with any directory field overridable for malformed cases.
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

#include "icons/icon_group.h"
#include "platform/bytes.h"

namespace tavrin::testing {

struct DibSpec {
    std::int32_t width = 16;
    std::int32_t height = 16;  // the icon's height; biHeight is twice this unless overridden
    std::uint16_t bitCount = 4;
    std::uint16_t planes = 1;
    std::uint32_t clrUsed = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t headerSize = 40;  // biSize; bytes past 40 are zeros
    std::optional<std::int32_t> biHeight = std::nullopt;
    // Colour-table entries; by default biClrUsed when set, else 2, 16 or 256 for 1, 4 or 8 bits
    // per pixel and none otherwise.
    std::optional<std::uint32_t> colorEntries = std::nullopt;
    // Every byte after the header is (fill + its index) modulo 256, so images are told apart.
    std::uint8_t fill = 0;
};

// header + colour table + XOR rows (width × bitCount × planes bits, padded to 4 bytes) × height
// + AND rows (width bits, padded to 4 bytes) × height.
ByteBuffer BuildDibImage(const DibSpec& shape);

// Lengths of the parts of BuildDibImage's result.
struct DibLayout {
    std::size_t colorTableSize = 0;
    std::size_t xorStride = 0;
    std::size_t andStride = 0;
    std::size_t xorOffset = 0;  // headerSize + colorTableSize
    std::size_t andOffset = 0;  // xorOffset + xorStride × height
    std::size_t totalSize = 0;
};
DibLayout DibLayoutOf(const DibSpec& shape);

struct PngSpec {
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    std::uint8_t bitDepth = 8;
    std::uint8_t colorType = 6;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    // With pixels, IDAT holds a zlib stream (stored blocks) of every filtered scanline, so the
    // file decodes; without, IDAT holds an empty zlib stream and the file is only well formed.
    bool pixels = false;
    // Bytes of an extra tEXt chunk before IDAT, to make the file as large as a case needs.
    std::size_t padding = 0;
    std::uint8_t fill = 0;
};

// Signature, IHDR, (PLTE for colour type 3), optional tEXt, IDAT and IEND, with correct CRCs.
ByteBuffer BuildPngImage(const PngSpec& shape);

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// One ICONDIRENTRY; every field left unset takes the value the image itself implies (from its
// BITMAPINFOHEADER or IHDR) and the image's real size and position.
struct IcoEntry {
    std::optional<std::uint8_t> width = std::nullopt;
    std::optional<std::uint8_t> height = std::nullopt;
    std::optional<std::uint8_t> colorCount = std::nullopt;
    std::optional<std::uint8_t> reserved = std::nullopt;
    std::optional<std::uint16_t> planes = std::nullopt;
    std::optional<std::uint16_t> bitCount = std::nullopt;
    std::optional<std::uint32_t> bytesInRes = std::nullopt;
    std::optional<std::uint32_t> imageOffset = std::nullopt;
};

struct IcoSpec {
    std::uint16_t reserved = 0;
    std::uint16_t type = 1;
    std::optional<std::uint16_t> count = std::nullopt;  // idCount; by default the number of images
    std::vector<ByteBuffer> images = {};                // stored back to back after the directory
    std::vector<IcoEntry> entries = {};                 // overrides, by image index; may be shorter
    // Extra directory entries beyond the images (for idCount larger than the image list).
    std::vector<IcoEntry> extraEntries = {};
    std::optional<std::size_t> truncateTo = std::nullopt;  // cut the finished file to this length
};

ByteBuffer BuildIcoFile(const IcoSpec& shape);

// One ICONDIRENTRY as it stands in a file, for checking what a writer produced.
struct IcoEntryFields {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint8_t reserved = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint32_t imageOffset = 0;
    bool operator==(const IcoEntryFields&) const = default;
};

// Entry `index` of the directory of an icon file; the file must hold it.
IcoEntryFields IcoEntryAt(std::span<const std::uint8_t> file, std::size_t index);
std::ostream& operator<<(std::ostream& out, const IcoEntryFields& entry);

// An image holding a copy of bytes, its layout derived; and a group of such images.
IconImage ImageFromBytes(std::span<const std::uint8_t> bytes);
IconGroup GroupFromImages(const std::vector<ByteBuffer>& images);

}  // namespace tavrin::testing
