#include <gtest/gtest.h>

#include "icons/ico_file.h"
#include "support/byte_builder.h"
#include "support/icon_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::BuildDibImage;
using testing::BuildIcoFile;
using testing::BuildPngImage;
using testing::IcoEntry;
using testing::IcoSpec;
using testing::TempDir;

ByteBuffer Bytes(const IconImage& image) {
    return {image.data.get(), image.data.get() + image.dataSize};
}

const ByteBuffer kSmall = BuildDibImage({.width = 16, .height = 16, .bitCount = 4, .fill = 1});
const ByteBuffer kLarge = BuildDibImage({.width = 32, .height = 32, .bitCount = 8, .fill = 2});
const ByteBuffer kPng = BuildPngImage({.width = 256, .height = 256, .pixels = false});

TEST(ReadIcoFile, ReadsEveryImageInDirectoryOrder) {
    TempDir dir;
    std::string path = dir.Write("a.ico", BuildIcoFile({.images = {kSmall, kLarge, kPng}}));
    IconGroupPtr group = ReadIcoFile(path);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->iconFilePath, path);
    EXPECT_EQ(group->moduleFilePath, "");
    ASSERT_EQ(group->imageCount, 3u);
    ASSERT_EQ(group->images.size(), 3u);
    EXPECT_EQ(Bytes(group->images[0]), kSmall);
    EXPECT_EQ(Bytes(group->images[1]), kLarge);
    EXPECT_EQ(Bytes(group->images[2]), kPng);
    EXPECT_EQ(group->images[1].width, 32u);
    EXPECT_EQ(group->images[1].bitsPerPixel, 8u);
    EXPECT_EQ(group->images[1].xorBits, group->images[1].data.get() + 40 + 1024);
    EXPECT_EQ(group->images[2].width, 256u);
    EXPECT_EQ(group->images[2].bitsPerPixel, 32u);
}

// Files the reader takes although they are unusual: what the group holds in each case.
TEST(ReadIcoFile, AcceptsUnusualButWholeFiles) {
    // Both entries name the first image's bytes.
    IcoEntry sameBytes{.bytesInRes = static_cast<std::uint32_t>(kSmall.size()),
                       .imageOffset = 6 + 2 * 16};
    // Images in reverse order of the directory, after a gap.
    ByteBuffer reversed = testing::ByteBuilder()
                              .U16(0)
                              .U16(1)
                              .U16(2)
                              .U8(16)
                              .U8(16)
                              .U8(16)
                              .U8(0)
                              .U16(1)
                              .U16(4)
                              .U32(static_cast<std::uint32_t>(kSmall.size()))
                              .U32(static_cast<std::uint32_t>(38 + 10 + kLarge.size()))
                              .U8(32)
                              .U8(32)
                              .U8(0)
                              .U8(0)
                              .U16(1)
                              .U16(8)
                              .U32(static_cast<std::uint32_t>(kLarge.size()))
                              .U32(38 + 10)
                              .Fill(10, 0xEE)
                              .Bytes(kLarge)
                              .Bytes(kSmall)
                              .Take();
    struct Case {
        const char* name;
        ByteBuffer file;
        std::vector<ByteBuffer> images;
    };
    const Case cases[] = {
        {"idCount 0 is an empty group", BuildIcoFile({}), {}},
        {"idCount 0 ignores bytes after the header",
         BuildIcoFile({.count = 0, .images = {kSmall}}),
         {}},
        {"two entries name the same bytes",
         BuildIcoFile({.images = {kSmall, kLarge}, .entries = {{}, sameBytes}}),
         {kSmall, kSmall}},
        {"images anywhere and in any order", reversed, {kSmall, kLarge}},
        {"an image of 0 bytes", BuildIcoFile({.images = {{}}}), {{}}},
        {"an image shorter than a bitmap header",
         BuildIcoFile({.images = {ByteBuffer(12, 7)}}),
         {ByteBuffer(12, 7)}},
        {"an image that ends the file exactly", BuildIcoFile({.images = {kPng}}), {kPng}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconGroupPtr group = ReadIcoFile(dir.Write("a.ico", c.file));
        ASSERT_TRUE(group);
        ASSERT_EQ(group->imageCount, c.images.size());
        ASSERT_EQ(group->images.size(), c.images.size());
        for (std::size_t i = 0; i < c.images.size(); ++i) {
            EXPECT_EQ(Bytes(group->images[i]), c.images[i]) << "image " << i;
        }
    }
}

// Directory fields that contradict the image change nothing: its own header decides.
TEST(ReadIcoFile, DirectoryFieldsDoNotOverrideTheImage) {
    TempDir dir;
    IconGroupPtr group = ReadIcoFile(dir.Write(
        "a.ico", BuildIcoFile({.images = {kSmall},
                               .entries = {{.width = 99, .height = 7, .bitCount = 77}}})));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->images[0].width, 16u);
    EXPECT_EQ(group->images[0].height, 16u);
    EXPECT_EQ(group->images[0].bitsPerPixel, 4u);
}

TEST(ReadIcoFile, TwoEntriesForTheSameBytesGetTheirOwnCopies) {
    TempDir dir;
    IcoEntry sameBytes{.bytesInRes = static_cast<std::uint32_t>(kSmall.size()),
                       .imageOffset = 6 + 2 * 16};
    IconGroupPtr group = ReadIcoFile(
        dir.Write("a.ico", BuildIcoFile({.images = {kSmall, kLarge}, .entries = {{}, sameBytes}})));
    ASSERT_TRUE(group);
    EXPECT_NE(group->images[0].data.get(), group->images[1].data.get());
}

TEST(ReadIcoFile, RefusesFilesThatAreNotWholeIconFiles) {
    const std::uint32_t smallSize = static_cast<std::uint32_t>(kSmall.size());
    const ByteBuffer whole = BuildIcoFile({.images = {kSmall, kLarge}});
    struct Case {
        const char* name;
        ByteBuffer file;
    };
    const Case cases[] = {
        {"empty file", {}},
        {"shorter than the header", {0, 0, 1, 0, 0}},
        {"cursor file", BuildIcoFile({.type = 2, .images = {kSmall}})},
        {"idType 0", BuildIcoFile({.type = 0, .images = {kSmall}})},
        {"idReserved not 0", BuildIcoFile({.reserved = 1, .images = {kSmall}})},
        {"a PNG file", BuildPngImage({})},
        {"a bitmap file", testing::ByteBuilder().Text("BM").Fill(60).Take()},
        {"6-byte file with idCount 1", {0, 0, 1, 0, 1, 0}},
        {"directory cut short", BuildIcoFile({.count = 3, .images = {kSmall, kLarge}})},
        {"last image one byte short",
         BuildIcoFile({.images = {kSmall, kLarge}, .truncateTo = whole.size() - 1})},
        {"second entry runs past the end",
         BuildIcoFile({.images = {kSmall, kLarge}, .entries = {{}, {.bytesInRes = 0xFFFFFFFF}}})},
        {"offset past the end",
         BuildIcoFile({.images = {kSmall}, .entries = {{.imageOffset = 0x7FFFFFFF}}})},
        {"offset plus size wraps 32 bits",
         BuildIcoFile(
             {.images = {kSmall},
              .entries = {{.bytesInRes = smallSize, .imageOffset = 0xFFFFFFFF - smallSize + 2}}})},
        {"empty image at an offset past the end",
         BuildIcoFile({.images = {kSmall}, .entries = {{.bytesInRes = 0, .imageOffset = 100000}}})},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadIcoFile(dir.Write("a.ico", c.file)));
    }
    EXPECT_FALSE(ReadIcoFile(dir.File("missing.ico")));
    EXPECT_FALSE(ReadIcoFile(dir.path().string()));
}

TEST(ReadIcoHeader, GivesIdCountOrMinusOne) {
    struct Case {
        ByteBuffer bytes;
        std::int32_t count;
    };
    const Case cases[] = {
        {{0, 0, 1, 0, 5, 0}, 5},  {{0, 0, 1, 0, 0xFF, 0xFF}, 65535}, {{0, 0, 1, 0, 0, 0}, 0},
        {{0, 0, 2, 0, 1, 0}, -1}, {{1, 0, 1, 0, 1, 0}, -1},          {{0, 0, 1, 0, 1}, -1},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        auto file = ReadOnlyFile::Open(dir.Write("h.ico", c.bytes));
        ASSERT_TRUE(file);
        EXPECT_EQ(ReadIcoHeader(*file), c.count);
    }
}

}  // namespace
}  // namespace tavrin
