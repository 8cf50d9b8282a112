#include "icons/png_header.h"

#include <algorithm>

#include "platform/byte_reader.h"

namespace tavrin {
namespace {

// PNG numbers are big-endian; the shared reader is little-endian, so take the bytes and turn them.
std::optional<std::uint32_t> BigEndianU32(ByteReader& reader) {
    auto bytes = reader.Bytes(4);
    if (!bytes) return std::nullopt;
    const auto& b = *bytes;
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           std::uint32_t{b[3]};
}

}  // namespace

bool HasPngSignature(std::span<const std::uint8_t> data) {
    return data.size() >= kPngSignature.size() &&
           std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> data) {
    if (!HasPngSignature(data)) return std::nullopt;
    ByteReader reader(data);
    reader.Skip(kPngSignature.size());
    auto length = BigEndianU32(reader);
    auto type = reader.Bytes(4);
    if (!length || *length != 13 || !type) return std::nullopt;
    static constexpr std::array<std::uint8_t, 4> kIhdr = {'I', 'H', 'D', 'R'};
    if (!std::equal(kIhdr.begin(), kIhdr.end(), type->begin())) return std::nullopt;
    auto width = BigEndianU32(reader);
    auto height = BigEndianU32(reader);
    auto bitDepth = reader.U8();
    auto colorType = reader.U8();
    // Compression, filter and interlace methods complete the chunk.
    if (!width || !height || !bitDepth || !colorType || !reader.Skip(3)) return std::nullopt;
    return PngHeader{*width, *height, *bitDepth, *colorType};
}

std::uint32_t PngBitsPerPixel(const PngHeader& header) {
    std::uint32_t channels = 0;
    switch (header.colorType) {
        case 0:
        case 3:
            channels = 1;
            break;
        case 2:
            channels = 3;
            break;
        case 4:
            channels = 2;
            break;
        case 6:
            channels = 4;
            break;
        default:
            break;
    }
    return header.bitDepth * channels;
}

}  // namespace tavrin
