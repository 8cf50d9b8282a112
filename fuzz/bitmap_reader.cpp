// Loads arbitrary bytes as a bitmap, then reads every pixel (at most a bounded block of them, and
// the pixels just inside and outside each edge).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bitmap/bitmap_reader.h"

namespace {

constexpr std::int64_t kMaxSide = 64;

void ReadAt(tavrin::BitmapReader& reader, std::int64_t x, std::int64_t y) {
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return;
    const std::int32_t value =
        tavrin::BitmapPixel(reader, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    // A colour value never uses bits 24-31; a failure gives 0.
    if ((static_cast<std::uint32_t>(value) >> 24) != 0) std::abort();
    if (reader.errorText[0] != '\0' && value != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::BitmapReader reader;
    tavrin::CreateBitmapReader(reader);
    if (tavrin::LoadBitmapBytes(reader, std::span<const std::uint8_t>(data, size))) {
        const std::int64_t width = tavrin::BitmapWidth(reader);
        const std::int64_t height = tavrin::BitmapHeight(reader);
        for (std::int64_t y = 0; y < std::min(height, kMaxSide); ++y) {
            for (std::int64_t x = 0; x < std::min(width, kMaxSide); ++x) ReadAt(reader, x, y);
        }
        for (std::int64_t d = -1; d <= 1; ++d) {
            ReadAt(reader, width + d, height - 1);
            ReadAt(reader, width - 1, height + d);
            ReadAt(reader, 0, height + d);
            ReadAt(reader, width + d, 0);
        }
    } else if (reader.errorText[0] == '\0') {
        std::abort();  // a failed load always says why
    }
    tavrin::DestroyBitmapReader(reader);
    return 0;
}
