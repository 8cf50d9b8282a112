#include <array>
#include <limits>
#include <optional>

#include "icons/ico_file.h"
#include "icons/png_header.h"
#include "platform/byte_reader.h"
#include "platform/hooks.h"

namespace tavrin {
namespace {

constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;
constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBiHeight = 8;
constexpr std::size_t kBiPlanes = 12;
constexpr std::size_t kBiBitCount = 14;
constexpr std::size_t kBiSizeImage = 20;

std::uint64_t IcoFileSize(const IconGroup& group) {
    std::uint64_t size = kIcoHeaderSize + kIcoEntrySize * std::uint64_t{group.imageCount};
    for (std::uint32_t i = 0; i < group.imageCount; ++i) size += group.images[i].dataSize;
    return size;
}

// The directory entry rebuilt from the image itself; nothing of its source's directory survives.
std::array<std::uint8_t, kIcoEntrySize> IcoEntry(const IconImage& image, std::uint32_t offset) {
    std::array<std::uint8_t, kIcoEntrySize> entry{};
    std::span<const std::uint8_t> data = image.bytes();
    switch (KindOf(data)) {
        case ImageKind::Dib: {
            std::uint16_t planes = ReadU16At(data, kBiPlanes).value_or(0);
            std::uint16_t bitCount = ReadU16At(data, kBiBitCount).value_or(0);
            std::uint32_t depth = std::uint32_t{planes} * bitCount;
            entry[0] = static_cast<std::uint8_t>(image.width);
            entry[1] = static_cast<std::uint8_t>(image.height);
            entry[2] = depth < 8 ? static_cast<std::uint8_t>(1u << depth) : 0;
            StoreU16(&entry[4], planes);
            StoreU16(&entry[6], bitCount);
            break;
        }
        case ImageKind::Png:
            entry[0] = static_cast<std::uint8_t>(image.width);
            entry[1] = static_cast<std::uint8_t>(image.height);
            StoreU16(&entry[4], 1);
            StoreU16(&entry[6], static_cast<std::uint16_t>(image.bitsPerPixel));
            break;
        case ImageKind::Other:
            break;  // unknown bytes: nothing to say about them
    }
    StoreU32(&entry[8], image.dataSize);
    StoreU32(&entry[12], offset);
    return entry;
}

// Writes a DIB with biSizeImage as 0, composing the output rather than touching the image.
bool WriteImage(AtomicFileWriter& file, const IconImage& image) {
    std::span<const std::uint8_t> data = image.bytes();
    if (KindOf(data) != ImageKind::Dib) return file.Write(data);
    static constexpr std::array<std::uint8_t, 4> kZero{};
    return file.Write(data.first(kBiSizeImage)) && file.Write(kZero) &&
           file.Write(data.subspan(kBiSizeImage + kZero.size()));
}

// The length of the DIB a bitmap file or the clipboard receives (header, colour table and h rows of
// the XOR bitmap), or std::nullopt when the image is no DIB or does not hold that much.
std::optional<std::uint32_t> BitmapLength(const IconImage& image, std::int32_t& halfHeight) {
    std::span<const std::uint8_t> data = image.bytes();
    if (KindOf(data) != ImageKind::Dib) return std::nullopt;
    auto biSize = ReadU32At(data, 0);
    auto biHeight = ReadI32At(data, kBiHeight);
    if (!biSize || !biHeight || *biSize < kDibHeaderSize) return std::nullopt;
    halfHeight = *biHeight / 2;
    std::int32_t stride = DibRowStride(data);
    if (halfHeight < 0 || stride < 0) return std::nullopt;
    std::uint64_t length = DibBitsStart(data) + std::uint64_t(stride) * std::uint64_t(halfHeight);
    if (length > image.dataSize) return std::nullopt;
    return static_cast<std::uint32_t>(length);
}

}  // namespace

bool WriteIcoHeader(AtomicFileWriter& file, std::uint16_t count) {
    std::array<std::uint8_t, kIcoHeaderSize> header{};
    StoreU16(&header[2], 1);
    StoreU16(&header[4], count);
    return file.Write(header);
}

std::uint32_t IcoImageOffset(const IconGroup& group, std::uint32_t i) {
    std::uint64_t offset = kIcoHeaderSize + kIcoEntrySize * std::uint64_t{group.imageCount};
    for (std::uint32_t k = 0; k < i && k < group.images.size(); ++k) {
        offset += group.images[k].dataSize;
    }
    return static_cast<std::uint32_t>(offset);
}

bool WriteIcoFile(const IconGroup& group, const std::string& path) {
    // A group the format cannot hold: more entries than idCount counts, or offsets past 4 GiB.
    if (group.imageCount != group.images.size() || group.imageCount > 0xFFFF ||
        IcoFileSize(group) > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    AtomicFileWriter file(path);
    if (!file.ok() || !WriteIcoHeader(file, static_cast<std::uint16_t>(group.imageCount))) {
        return false;
    }
    std::uint32_t offset = IcoImageOffset(group, 0);
    for (const IconImage& image : group.images) {
        if (!file.Write(IcoEntry(image, offset))) return false;
        offset += image.dataSize;
    }
    for (const IconImage& image : group.images) {
        if (!WriteImage(file, image)) return false;
    }
    return file.Commit();
}

bool WriteBmpFile(const std::string& path, const IconImage& image) {
    std::int32_t halfHeight = 0;
    auto length = BitmapLength(image, halfHeight);
    if (!length) return false;
    std::span<const std::uint8_t> data = image.bytes();
    std::uint32_t bitsStart = static_cast<std::uint32_t>(DibBitsStart(data));

    std::array<std::uint8_t, kBmpFileHeaderSize> fileHeader{};
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    StoreU32(&fileHeader[2], static_cast<std::uint32_t>(kBmpFileHeaderSize) + *length);
    StoreU32(&fileHeader[10], static_cast<std::uint32_t>(kBmpFileHeaderSize) + bitsStart);
    std::array<std::uint8_t, 4> height{};
    StoreU32(height.data(), static_cast<std::uint32_t>(halfHeight));

    AtomicFileWriter file(path);
    return file.ok() && file.Write(fileHeader) && file.Write(data.first(kBiHeight)) &&
           file.Write(height) &&
           file.Write(
               data.subspan(kBiHeight + height.size(), *length - kBiHeight - height.size())) &&
           file.Commit();
}

bool CopyImageToClipboard(const IconImage& image) {
    std::int32_t halfHeight = 0;
    if (image.dataSize == 0 || !BitmapLength(image, halfHeight)) return false;
    // The block is a copy; only the copy has the halved height.
    ByteBuffer block(image.data.get(), image.data.get() + image.dataSize);
    StoreU32(&block[kBiHeight], static_cast<std::uint32_t>(halfHeight));
    return PutDibOnClipboard(block);
}

}  // namespace tavrin
