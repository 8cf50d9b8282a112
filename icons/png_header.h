#pragma once
// The start of a PNG file, as modern icons store their large images: the 8-byte signature and the
// IHDR chunk that must follow it.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tavrin {

inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                              '\r', '\n', 0x1A, '\n'};

bool HasPngSignature(std::span<const std::uint8_t> data);

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colorType = 0;
};

// The IHDR of data that begins with the signature; std::nullopt when the first chunk is not a
// whole 13-byte IHDR.
std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> data);

// Bit depth × channels: 4 channels for colour type 6, 3 for 2, 2 for 4, 1 for 0 and 3; 0 for a
// colour type that PNG does not define.
std::uint32_t PngBitsPerPixel(const PngHeader& header);

}  // namespace tavrin
