// The compatibility converter: takes the pixels through the bitmap reader, so that every layout
// the reader loads becomes a 24-bit icon.
#include "bitmap/bitmap_reader.h"
#include "bitmap/converted_icon.h"
#include "bitmap/converters.h"

namespace tavrin {
namespace {

// Releases the reader on every path out of the conversion.
class ReaderScope {
  public:
    ReaderScope() { CreateBitmapReader(reader_); }
    ~ReaderScope() { DestroyBitmapReader(reader_); }
    ReaderScope(const ReaderScope&) = delete;
    ReaderScope& operator=(const ReaderScope&) = delete;
    BitmapReader& reader() { return reader_; }

  private:
    BitmapReader reader_;
};

}  // namespace

bool BmpToIcoCompat(const ByteBuffer& source, ByteBuffer& output,
                    const ConversionOptions& options) {
    ReaderScope scope;
    BitmapReader& reader = scope.reader();
    if (!LoadBitmapBytes(reader, source)) return false;
    // A top-down bitmap reports a negative height and has no readable pixel, so it is refused
    // here together with any side above the limit.
    const auto layout = ComputeConvertedLayout(BitmapWidth(reader), BitmapHeight(reader));
    if (!layout) return false;

    // The whole 32-bit value is compared, so a key with any of bits 24-31 set matches no pixel.
    const std::uint32_t key = options.transparentColor.value_or(kDefaultTransparentColor);
    const std::int32_t height = layout->height;
    output = BuildConvertedIcon(
        *layout, options, [&](std::int32_t row, std::int32_t column, std::size_t) {
            // Walk row 0 is the bottom row of the picture, which the reader calls y = H - 1.
            const auto value =
                static_cast<std::uint32_t>(BitmapPixel(reader, column, height - 1 - row));
            WalkPixel pixel;
            pixel.transparent = value == key;
            pixel.red = static_cast<std::uint8_t>(value & 0xFF);
            pixel.green = static_cast<std::uint8_t>((value >> 8) & 0xFF);
            pixel.blue = static_cast<std::uint8_t>((value >> 16) & 0xFF);
            return pixel;
        });
    return true;
}

}  // namespace tavrin
