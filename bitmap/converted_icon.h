#pragma once
// The file both converters produce: one 24-bit image with a 1-bit transparency mask, as an icon or
// a cursor. This holds its size arithmetic, its headers and the walk that fills the colour data and
// the mask; the converters supply only the pixels and the transparency test.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "bitmap/converters.h"
#include "platform/bytes.h"

namespace tavrin {

// Width and height are accepted from 0 to this value.
inline constexpr std::int32_t kMaxConvertedSide = 255;

struct ConvertedLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t maskWords = 0;   // MW: 32-bit words per mask row
    std::size_t colourFill = 0;  // P: fill bytes at the end of each colour row
    std::size_t colourRow = 0;   // 3W + P
    std::size_t colourSize = 0;  // XS
    std::size_t maskRow = 0;     // 4 x MW
    std::size_t maskSize = 0;    // MS
    std::size_t imageSize() const { return 40 + colourSize + maskSize; }
    std::size_t fileSize() const { return 62 + colourSize + maskSize; }
};

// The layout of a width x height image; nothing when either side is negative or above the limit.
// Negative sides (a top-down source) are refused rather than converted.
std::optional<ConvertedLayout> ComputeConvertedLayout(std::int32_t width, std::int32_t height);

// One pixel as the walk needs it: transparent, or opaque with its colour bytes.
struct WalkPixel {
    bool transparent = false;
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

// Asked for every pixel in walk order: row 0 is the bottom row of the picture, column 0 the left
// one; colourOffset is where the pixel's three bytes go in the colour data (the direct converter
// reads its source at the same offset).
using WalkPixelSource =
    std::function<WalkPixel(std::int32_t row, std::int32_t column, std::size_t colourOffset)>;

// Walks every pixel and returns the complete file.
ByteBuffer BuildConvertedIcon(const ConvertedLayout& layout, const ConversionOptions& options,
                              const WalkPixelSource& pixelAt);

// The key of an absent transparentColor: white.
inline constexpr std::uint32_t kDefaultTransparentColor = 0xFFFFFF;

}  // namespace tavrin
