#pragma once
// The fuzz entry shared by both bitmap converters: a failure must leave the output as it was, and
// every file produced must have exactly the size its width and height give.
#include <cstdint>
#include <cstdlib>

#include "bitmap/converters.h"
#include "platform/byte_reader.h"

namespace tavrin::fuzzing {

using Converter = bool (*)(const ByteBuffer& source, ByteBuffer& output,
                           const ConversionOptions& options);

inline void CheckConversion(Converter convert, const ByteBuffer& source,
                            const ConversionOptions& options) {
    const ByteBuffer before = {1, 2, 3};
    ByteBuffer output = before;
    if (!convert(source, output, options)) {
        if (output != before) std::abort();  // a failure leaves the output as it was
        return;
    }
    // The file is 62 bytes of headers, the colour rows and the mask rows, nothing more.
    if (output.size() < 62) std::abort();
    const std::size_t width = output[6];
    const std::size_t height = output[7];
    const std::size_t colour = height * (3 * width + width % 4);
    const std::size_t mask = height * 4 * ((width + 31) / 32);
    if (output.size() != 62 + colour + mask) std::abort();
    if (ReadU32At(output, 14) != 40 + colour + mask) std::abort();
}

// Converts the input once with the default key and once with a key and cursor options taken
// from the input.
inline int FuzzConverter(Converter convert, const std::uint8_t* data, std::size_t size) {
    const ByteBuffer source(data, data + size);
    CheckConversion(convert, source, {});
    ConversionOptions options;
    options.transparentColor = size >= 4 ? ReadU32At(source, size - 4) : 0;
    options.asCursor = true;
    options.hotspotX = static_cast<std::int32_t>(size);
    options.hotspotY = -1;
    CheckConversion(convert, source, options);
    return 0;
}

}  // namespace tavrin::fuzzing
