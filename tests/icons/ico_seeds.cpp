// Writes the seed inputs of the icon-file fuzz target. Disabled in ordinary runs; to refresh the
// seeds:  TAVRIN_SEED_DIR=fuzz/seeds/ico_roundtrip icons_tests
//         --gtest_also_run_disabled_tests --gtest_filter='IcoSeeds.*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/icon_builder.h"

namespace tavrin {
namespace {

using namespace testing;

TEST(IcoSeeds, DISABLED_Write) {
    const char* folder = std::getenv("TAVRIN_SEED_DIR");
    ASSERT_NE(folder, nullptr) << "set TAVRIN_SEED_DIR";
    std::filesystem::create_directories(folder);
    ByteBuffer oneBit = BuildDibImage({.width = 16, .height = 16, .bitCount = 1});
    const std::pair<const char*, ByteBuffer> seeds[] = {
        {"two-4-bit.ico", BuildIcoFile({.images = {BuildDibImage({.width = 16, .height = 16}),
                                                   BuildDibImage({.width = 32, .height = 32})}})},
        {"png-and-32-bit.ico",
         BuildIcoFile({.images = {BuildPngImage({.width = 16, .height = 16, .pixels = true}),
                                  BuildDibImage({.width = 16, .height = 16, .bitCount = 32})}})},
        {"8-bit-clrused.ico",
         BuildIcoFile(
             {.images = {BuildDibImage(
                  {.width = 16, .height = 16, .bitCount = 8, .clrUsed = 3, .sizeImage = 320})}})},
        {"overlapping.ico",
         BuildIcoFile({.images = {oneBit},
                       .extraEntries = {{.bytesInRes = static_cast<std::uint32_t>(oneBit.size()),
                                         .imageOffset = 6 + 2 * 16}}})},
        {"short-image.ico", BuildIcoFile({.images = {ByteBuffer(12, 0x28), {}}})},
        {"empty.ico", BuildIcoFile({})},
        {"truncated.ico", BuildIcoFile({.images = {oneBit}, .truncateTo = 100})},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(std::filesystem::path(folder) / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
}

}  // namespace
}  // namespace tavrin
