#include "bitmap/converted_icon.h"

#include "platform/byte_reader.h"

namespace tavrin {
namespace {

constexpr std::size_t kDirectorySize = 22;  // ICONDIR and one ICONDIRENTRY
constexpr std::size_t kInfoHeaderSize = 40;

void WriteHeaders(std::uint8_t* file, const ConvertedLayout& layout,
                  const ConversionOptions& options) {
    const auto width = static_cast<std::uint32_t>(layout.width);
    const auto height = static_cast<std::uint32_t>(layout.height);
    StoreU16(file + 0, 0);
    StoreU16(file + 2, options.asCursor ? 2 : 1);
    StoreU16(file + 4, 1);
    file[6] = static_cast<std::uint8_t>(width & 0xFF);
    file[7] = static_cast<std::uint8_t>(height & 0xFF);
    file[8] = 0;
    file[9] = 0;
    // A cursor keeps its hotspot where an icon keeps planes and bit count.
    StoreU16(file + 10, options.asCursor ? static_cast<std::uint16_t>(options.hotspotX & 0xFF) : 1);
    StoreU16(file + 12,
             options.asCursor ? static_cast<std::uint16_t>(options.hotspotY & 0xFF) : 24);
    StoreU32(file + 14, static_cast<std::uint32_t>(layout.imageSize()));
    StoreU32(file + 18, kDirectorySize);

    std::uint8_t* info = file + kDirectorySize;
    StoreU32(info + 0, kInfoHeaderSize);
    StoreU32(info + 4, width);
    StoreU32(info + 8, 2 * height);  // colour image and mask stacked
    StoreU16(info + 12, 1);
    StoreU16(info + 14, 24);
    StoreU32(info + 16, 0);
    StoreU32(info + 20, static_cast<std::uint32_t>(layout.colourSize));
    StoreU32(info + 24, 0);
    StoreU32(info + 28, 0);
    StoreU32(info + 32, 0);
    StoreU32(info + 36, 0);
}

}  // namespace

std::optional<ConvertedLayout> ComputeConvertedLayout(std::int32_t width, std::int32_t height) {
    if (width < 0 || width > kMaxConvertedSide) return std::nullopt;
    if (height < 0 || height > kMaxConvertedSide) return std::nullopt;
    ConvertedLayout layout;
    layout.width = width;
    layout.height = height;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    layout.maskWords = (w + 31) / 32;
    layout.colourFill = w % 4;
    layout.colourRow = 3 * w + layout.colourFill;
    layout.colourSize = h * layout.colourRow;
    layout.maskRow = 4 * layout.maskWords;
    layout.maskSize = h * layout.maskRow;
    return layout;
}

ByteBuffer BuildConvertedIcon(const ConvertedLayout& layout, const ConversionOptions& options,
                              const WalkPixelSource& pixelAt) {
    ByteBuffer file(layout.fileSize(), 0);
    WriteHeaders(file.data(), layout, options);
    std::uint8_t* const colour = file.data() + kDirectorySize + kInfoHeaderSize;
    std::uint8_t* const mask = colour + layout.colourSize;

    std::size_t c = 0;  // colour offset
    std::size_t m = 0;  // mask offset
    unsigned bit = 128;
    std::uint8_t accumulated = 0;
    for (std::int32_t row = 0; row < layout.height; ++row) {
        for (std::int32_t column = 0; column < layout.width; ++column) {
            const WalkPixel pixel = pixelAt(row, column, c);
            if (pixel.transparent) {
                accumulated = static_cast<std::uint8_t>(accumulated + bit);
            } else {
                colour[c] = pixel.blue;
                colour[c + 1] = pixel.green;
                colour[c + 2] = pixel.red;
            }
            c += 3;
            bit /= 2;
            if (bit == 0) {
                mask[m++] = accumulated;
                bit = 128;
                accumulated = 0;
            }
        }
        if (bit != 128) {
            mask[m++] = accumulated;
            bit = 128;
            accumulated = 0;
        }
        m = (m + 3) / 4 * 4;
        c += layout.colourFill;
    }
    return file;
}

}  // namespace tavrin
