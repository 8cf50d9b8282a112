#pragma once
// Turning a bitmap file into a single-image 24-bit icon (or cursor) file with a transparency mask
// keyed on one colour.
#include <cstdint>
#include <optional>

#include "platform/bytes.h"

namespace tavrin {

struct ConversionOptions {
    // Colour value: red in bits 0-7, green 8-15, blue 16-23. Absent means white.
    std::optional<std::uint32_t> transparentColor;
    bool asCursor = false;
    std::int32_t hotspotX = 0;
    std::int32_t hotspotY = 0;
};

// Both replace output with the converted file and return true, or leave it untouched and return
// false. The direct converter reads 24-bit pixel rows from offset 54 of the file itself; the
// compatibility converter reads the pixels through the bitmap reader. Widths and heights are
// accepted from 0 to 255; a negative one (a top-down bitmap) is refused.
bool BmpToIcoDirect(const ByteBuffer& source, ByteBuffer& output,
                    const ConversionOptions& options = {});
bool BmpToIcoCompat(const ByteBuffer& source, ByteBuffer& output,
                    const ConversionOptions& options = {});

}  // namespace tavrin
