// The direct converter: takes 24-bit pixel rows from offset 54 of the file itself.
#include <algorithm>
#include <span>

#include "bitmap/converted_icon.h"
#include "bitmap/converters.h"
#include "platform/byte_reader.h"

namespace tavrin {
namespace {

constexpr std::size_t kPixelDataOffset = 54;  // file header and a 40-byte info header

}  // namespace

bool BmpToIcoDirect(const ByteBuffer& source, ByteBuffer& output,
                    const ConversionOptions& options) {
    const std::span<const std::uint8_t> bytes(source);
    if (bytes.size() < kPixelDataOffset) return false;
    if (bytes[0] != 0x42 || bytes[1] != 0x4D) return false;
    const std::int32_t width = *ReadI32At(bytes, 18);
    const std::int32_t height = *ReadI32At(bytes, 22);
    const std::int32_t statedSize = *ReadI32At(bytes, 34);
    const auto layout = ComputeConvertedLayout(width, height);
    if (!layout) return false;

    // biSizeImage says how many pixel bytes to take, as far as the file holds them.
    const std::size_t available = bytes.size() - kPixelDataOffset;
    const std::size_t taken =
        statedSize <= 0 ? 0 : std::min(available, static_cast<std::size_t>(statedSize));
    const auto pixels = bytes.subspan(kPixelDataOffset, taken);
    if (pixels.size() < layout->colourSize) return false;

    const std::uint32_t key = options.transparentColor.value_or(kDefaultTransparentColor);
    const auto keyRed = static_cast<std::uint8_t>(key & 0xFF);
    const auto keyGreen = static_cast<std::uint8_t>((key >> 8) & 0xFF);
    const auto keyBlue = static_cast<std::uint8_t>((key >> 16) & 0xFF);

    // The source rows lie bottom-up with the colour data's own row layout, so the walk's colour
    // offset is also the pixel's offset in the source; fill bytes are never read.
    output = BuildConvertedIcon(*layout, options, [&](std::int32_t, std::int32_t, std::size_t at) {
        WalkPixel pixel{false, pixels[at], pixels[at + 1], pixels[at + 2]};
        pixel.transparent = pixel.blue == keyBlue && pixel.green == keyGreen && pixel.red == keyRed;
        return pixel;
    });
    return true;
}

}  // namespace tavrin
