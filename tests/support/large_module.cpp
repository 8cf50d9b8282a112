#include "large_module.h"

#include <memory>

#include "icon_builder.h"
#include "pe_builder.h"

namespace tavrin::testing {
namespace {

std::shared_ptr<const ByteBuffer> Dib32(std::int32_t size) {
    DibSpec shape;
    shape.width = size;
    shape.height = size;
    shape.bitCount = 32;
    return std::make_shared<const ByteBuffer>(BuildDibImage(shape));
}

}  // namespace

bool WriteLargeModule(const std::string& path, int groups) {
    auto small = Dib32(16);
    auto medium = Dib32(32);
    PngSpec shape;
    shape.width = 256;
    shape.height = 256;
    shape.padding = 134 * 1024;
    auto large = std::make_shared<const ByteBuffer>(BuildPngImage(shape));

    PeBuilder builder(PeFormat::Pe32Plus);
    for (int i = 0; i < groups; ++i) {
        auto first = static_cast<std::uint16_t>(3 * i + 1);
        builder.AddShared(kResourceTypeIcon, first, small);
        builder.AddShared(kResourceTypeIcon, static_cast<std::uint16_t>(first + 1), medium);
        builder.AddShared(kResourceTypeIcon, static_cast<std::uint16_t>(first + 2), large);
    }
    for (int i = 0; i < groups; ++i) {
        auto first = static_cast<std::uint16_t>(3 * i + 1);
        builder.Add(kResourceTypeGroupIcon, static_cast<std::uint16_t>(i + 1),
                    BuildGroupDirectory(
                        {{.id = first, .width = 16, .height = 16},
                         {.id = static_cast<std::uint16_t>(first + 1), .width = 32, .height = 32},
                         {.id = static_cast<std::uint16_t>(first + 2)}}));
    }
    return builder.WriteTo(path);
}

}  // namespace tavrin::testing
