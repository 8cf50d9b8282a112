// Converts arbitrary bytes with the compatibility converter, once with the default key and once
// with a key and cursor options taken from the input, and checks the size of every file it
// produces.
#include <cstdint>
#include <cstdlib>

#include "bitmap/converters.h"
#include "platform/byte_reader.h"

namespace {

void Check(const tavrin::ByteBuffer& source, const tavrin::ConversionOptions& options) {
    const tavrin::ByteBuffer before = {1, 2, 3};
    tavrin::ByteBuffer output = before;
    if (!tavrin::BmpToIcoCompat(source, output, options)) {
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
    if (tavrin::ReadU32At(output, 14) != 40 + colour + mask) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tavrin::ByteBuffer source(data, data + size);
    Check(source, {});
    tavrin::ConversionOptions options;
    options.transparentColor = size >= 4 ? tavrin::ReadU32At(source, size - 4) : 0;
    options.asCursor = true;
    options.hotspotX = static_cast<std::int32_t>(size);
    options.hotspotY = -1;
    Check(source, options);
    return 0;
}
