#include <gtest/gtest.h>

#include <filesystem>

#include "icons/ico_file.h"
#include "platform/byte_reader.h"
#include "platform/hooks.h"
#include "support/byte_builder.h"
#include "support/file_size_limit.h"
#include "support/icon_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::BuildDibImage;
using testing::BuildIcoFile;
using testing::BuildPngImage;
using testing::FileSizeLimit;
using testing::GroupFromImages;
using testing::IcoEntryAt;
using testing::IcoEntryFields;
using testing::ImageFromBytes;
using testing::TempDir;

ByteBuffer Bytes(const IconImage& image) {
    return {image.data.get(), image.data.get() + image.dataSize};
}

std::vector<ByteBuffer> Snapshot(const IconGroup& group) {
    std::vector<ByteBuffer> images;
    for (const IconImage& image : group.images) images.push_back(Bytes(image));
    return images;
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

const ByteBuffer k16x16x4 = BuildDibImage({.width = 16, .height = 16, .bitCount = 4, .fill = 3});
const ByteBuffer k32x32x4 = BuildDibImage({.width = 32, .height = 32, .bitCount = 4, .fill = 9});

TEST(WriteIcoFile, TwoFourBitImagesGiveTheExactFile) {
    ASSERT_EQ(k16x16x4.size(), 296u);
    ASSERT_EQ(k32x32x4.size(), 744u);
    TempDir dir;
    IconGroup group = GroupFromImages({k16x16x4, k32x32x4});
    ASSERT_TRUE(WriteIcoFile(group, dir.File("1.ico")));

    ByteBuffer file = ReadFileBytes(dir.File("1.ico"));
    ASSERT_EQ(file.size(), 1078u);
    EXPECT_EQ(ByteBuffer(file.begin(), file.begin() + 6), (ByteBuffer{0, 0, 1, 0, 2, 0}));
    EXPECT_EQ(IcoEntryAt(file, 0), (IcoEntryFields{16, 16, 16, 0, 1, 4, 296, 38}));
    EXPECT_EQ(IcoEntryAt(file, 1), (IcoEntryFields{32, 32, 16, 0, 1, 4, 744, 334}));
    EXPECT_EQ(ByteBuffer(file.begin() + 38, file.begin() + 334), k16x16x4);
    EXPECT_EQ(ByteBuffer(file.begin() + 334, file.end()), k32x32x4);
    EXPECT_EQ(IcoImageOffset(group, 0), 38u);
    EXPECT_EQ(IcoImageOffset(group, 1), 334u);
}

// Each directory entry is rebuilt from the image alone.
TEST(WriteIcoFile, EntryFieldsComeFromTheImage) {
    ByteBuffer png256 = BuildPngImage({.width = 256, .height = 256, .padding = 140000});
    ByteBuffer png48 = BuildPngImage({.width = 48, .height = 48, .colorType = 2, .pixels = true});
    struct Case {
        const char* name;
        ByteBuffer image;
        IcoEntryFields entry;  // without bytesInRes and imageOffset
    };
    const Case cases[] = {
        {"256x256 32-bit",
         BuildDibImage({.width = 256, .height = 256, .bitCount = 32}),
         {0, 0, 0, 0, 1, 32}},
        {"1-bit", BuildDibImage({.width = 32, .height = 32, .bitCount = 1}), {32, 32, 2, 0, 1, 1}},
        {"2-bit", BuildDibImage({.width = 16, .height = 16, .bitCount = 2}), {16, 16, 4, 0, 1, 2}},
        {"8-bit", BuildDibImage({.width = 48, .height = 48, .bitCount = 8}), {48, 48, 0, 0, 1, 8}},
        {"two planes of 4 bits make 8",
         BuildDibImage({.width = 16, .height = 16, .bitCount = 4, .planes = 2}),
         {16, 16, 0, 0, 2, 4}},
        {"height is half of biHeight",
         BuildDibImage({.width = 20, .height = 24, .biHeight = 49}),
         {20, 24, 16, 0, 1, 4}},
        {"PNG 256x256 RGBA", png256, {0, 0, 0, 0, 1, 32}},
        {"PNG 48x48 RGB", png48, {48, 48, 0, 0, 1, 24}},
        {"neither DIB nor PNG", ByteBuffer(39, 0xAB), {0, 0, 0, 0, 0, 0}},
        {"no bytes", {}, {0, 0, 0, 0, 0, 0}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteIcoFile(GroupFromImages({c.image}), dir.File("a.ico")));
        ByteBuffer file = ReadFileBytes(dir.File("a.ico"));
        IcoEntryFields expected = c.entry;
        expected.bytesInRes = static_cast<std::uint32_t>(c.image.size());
        expected.imageOffset = 22;
        EXPECT_EQ(IcoEntryAt(file, 0), expected);
        EXPECT_EQ(file.size(), 22 + c.image.size());
    }
}

// The file gets biSizeImage 0 in every DIB; the borrowed group keeps every byte it had, and a PNG
// (whose bytes 20-23 are its height) and unknown bytes are written as they are.
TEST(WriteIcoFile, ZeroesBiSizeImageOnlyInTheFile) {
    ByteBuffer dib = BuildDibImage({.width = 32, .height = 32, .bitCount = 4, .sizeImage = 640});
    ByteBuffer png = BuildPngImage({.width = 64, .height = 64});
    ByteBuffer other(30, 0x55);
    const IconGroup group = GroupFromImages({dib, png, other});
    TempDir dir;
    ASSERT_TRUE(WriteIcoFile(group, dir.File("a.ico")));

    EXPECT_EQ(Snapshot(group), (std::vector<ByteBuffer>{dib, png, other}));
    ByteBuffer file = ReadFileBytes(dir.File("a.ico"));
    std::size_t at = 6 + 3 * 16;
    ByteBuffer writtenDib(file.begin() + at, file.begin() + at + dib.size());
    EXPECT_EQ(ReadU32At(writtenDib, 20), 0u);
    ByteBuffer expectedDib = dib;
    std::fill(expectedDib.begin() + 20, expectedDib.begin() + 24, 0);
    EXPECT_EQ(writtenDib, expectedDib);
    at += dib.size();
    EXPECT_EQ(ByteBuffer(file.begin() + at, file.begin() + at + png.size()), png);
    at += png.size();
    EXPECT_EQ(ByteBuffer(file.begin() + at, file.end()), other);
}

TEST(WriteIcoFile, EmptyGroupGivesTheSixByteHeader) {
    TempDir dir;
    ASSERT_TRUE(WriteIcoFile(IconGroup{}, dir.File("a.ico")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.ico")), (ByteBuffer{0, 0, 1, 0, 0, 0}));
}

// Reading a file with a canonical directory and writing it back gives the same bytes, PNG images
// included, and writing twice gives the same file twice.
TEST(WriteIcoFile, RoundTripsByteForByte) {
    ByteBuffer source =
        BuildIcoFile({.images = {
                          BuildDibImage({.width = 16, .height = 16, .bitCount = 8}),
                          BuildPngImage({.width = 256, .height = 256, .padding = 140000}),
                          BuildDibImage({.width = 48, .height = 48, .bitCount = 32}),
                          BuildPngImage({.width = 32, .height = 32, .bitDepth = 4, .colorType = 3}),
                      }});
    TempDir dir;
    IconGroupPtr group = ReadIcoFile(dir.Write("source.ico", source));
    ASSERT_TRUE(group);
    ASSERT_TRUE(WriteIcoFile(*group, dir.File("1.ico")));
    ASSERT_TRUE(WriteIcoFile(*group, dir.File("2.ico")));
    EXPECT_EQ(ReadFileBytes(dir.File("1.ico")), source);
    EXPECT_EQ(ReadFileBytes(dir.File("2.ico")), source);
}

// Entries that overlap in the source become separate copies back to back.
TEST(WriteIcoFile, OverlappingEntriesAreWrittenApart) {
    testing::IcoEntry sameBytes{.bytesInRes = static_cast<std::uint32_t>(k16x16x4.size()),
                                .imageOffset = 6 + 2 * 16};
    TempDir dir;
    IconGroupPtr group = ReadIcoFile(dir.Write(
        "source.ico", BuildIcoFile({.images = {k16x16x4, k32x32x4}, .entries = {{}, sameBytes}})));
    ASSERT_TRUE(group);
    ASSERT_TRUE(WriteIcoFile(*group, dir.File("1.ico")));
    EXPECT_EQ(ReadFileBytes(dir.File("1.ico")), BuildIcoFile({.images = {k16x16x4, k16x16x4}}));
}

TEST(WriteIcoFile, FailedWriteKeepsTheEarlierFile) {
    TempDir dir;
    ByteBuffer earlier = {1, 2, 3, 4};
    std::string path = dir.Write("1.ico", earlier);
    {
        FileSizeLimit limit(500);
        EXPECT_FALSE(WriteIcoFile(GroupFromImages({k16x16x4, k32x32x4}), path));
    }
    EXPECT_EQ(ReadFileBytes(path), earlier);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIcoFile, RefusesWhatCannotBeWritten) {
    TempDir dir;
    EXPECT_FALSE(WriteIcoFile(GroupFromImages({k16x16x4}), dir.File("missing/1.ico")));
    IconGroup miscounted = GroupFromImages({k16x16x4});
    miscounted.imageCount = 2;
    EXPECT_FALSE(WriteIcoFile(miscounted, dir.File("1.ico")));
    EXPECT_EQ(EntriesIn(dir.path()), 0u);
}

TEST(WriteBmpFile, WritesHeaderColourTableAndXorBitmap) {
    struct Case {
        const char* name;
        ByteBuffer image;
        std::uint32_t offBits;
        std::uint32_t size;
    };
    ByteBuffer withoutMask = k32x32x4;
    withoutMask.resize(40 + 64 + 16 * 32);
    const Case cases[] = {
        {"32x32 4-bit", k32x32x4, 118, 630},
        {"no AND mask after the XOR bitmap", withoutMask, 118, 630},
        {"32-bit has no colour table", BuildDibImage({.width = 16, .height = 16, .bitCount = 32}),
         54, 54 + 16 * 64},
        {"biClrUsed sets the table",
         BuildDibImage({.width = 8, .height = 8, .bitCount = 8, .clrUsed = 3}), 54 + 12,
         54 + 12 + 8 * 8},
        {"a longer header is written whole",
         BuildDibImage({.width = 16, .height = 16, .bitCount = 4, .headerSize = 108}),
         14 + 108 + 64, 14 + 108 + 64 + 8 * 16},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconImage image = ImageFromBytes(c.image);
        ASSERT_TRUE(WriteBmpFile(dir.File("a.bmp"), image));
        ByteBuffer file = ReadFileBytes(dir.File("a.bmp"));
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(ReadU32At(file, 2), c.size);
        EXPECT_EQ(ReadU32At(file, 6), 0u);
        EXPECT_EQ(ReadU32At(file, 10), c.offBits);
        // The image's own bytes follow, with biHeight halved, up to the end of the XOR bitmap.
        ByteBuffer expected(c.image.begin(), c.image.begin() + (c.size - 14));
        StoreU32(&expected[8], ReadU32At(c.image, 8).value() / 2);
        EXPECT_EQ(ByteBuffer(file.begin() + 14, file.end()), expected);
        EXPECT_EQ(Bytes(image), c.image);
    }
}

TEST(WriteBmpFile, RefusesImagesWithoutAWholeBitmap) {
    ByteBuffer oneShort = k32x32x4;
    oneShort.resize(40 + 64 + 16 * 32 - 1);
    ByteBuffer negativeHeight = k32x32x4;
    StoreU32(&negativeHeight[8], static_cast<std::uint32_t>(-64));
    ByteBuffer coreSize = k32x32x4;
    StoreU32(&coreSize[0], 12);
    struct Case {
        const char* name;
        ByteBuffer image;
    };
    const Case cases[] = {
        {"PNG image", BuildPngImage({.width = 32, .height = 32})},
        {"shorter than a bitmap header", ByteBuffer(39, 0)},
        {"XOR bitmap one byte short", oneShort},
        {"negative height", negativeHeight},
        {"biSize below 40", coreSize},
    };
    TempDir dir;
    ByteBuffer earlier = {5, 6};
    std::string path = dir.Write("a.bmp", earlier);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(WriteBmpFile(path, ImageFromBytes(c.image)));
        EXPECT_EQ(ReadFileBytes(path), earlier);
        EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }
    {
        FileSizeLimit limit(100);
        EXPECT_FALSE(WriteBmpFile(path, ImageFromBytes(k32x32x4)));
    }
    EXPECT_EQ(ReadFileBytes(path), earlier);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

class ClipboardSink : public ::testing::Test {
  protected:
    void SetUp() override {
        SetClipboardDibSink([this](std::span<const std::uint8_t> dib) {
            blocks_.emplace_back(dib.begin(), dib.end());
            return accept_;
        });
    }
    void TearDown() override { SetClipboardDibSink(nullptr); }

    std::vector<ByteBuffer> blocks_;
    bool accept_ = true;
};

TEST_F(ClipboardSink, ReceivesTheWholeImageWithItsHeightHalved) {
    IconImage image = ImageFromBytes(k32x32x4);
    ASSERT_TRUE(CopyImageToClipboard(image));
    ASSERT_EQ(blocks_.size(), 1u);
    ByteBuffer expected = k32x32x4;
    StoreU32(&expected[8], 32);
    EXPECT_EQ(blocks_[0], expected);
    EXPECT_EQ(Bytes(image), k32x32x4);
}

TEST_F(ClipboardSink, RefusedOrUnsuitableImagesGiveFalse) {
    accept_ = false;
    EXPECT_FALSE(CopyImageToClipboard(ImageFromBytes(k16x16x4)));
    EXPECT_EQ(blocks_.size(), 1u);

    accept_ = true;
    ByteBuffer oneShort = k16x16x4;
    oneShort.resize(40 + 64 + 8 * 16 - 1);
    for (const ByteBuffer& bytes : {BuildPngImage({}), ByteBuffer{}, ByteBuffer(39, 1), oneShort}) {
        SCOPED_TRACE(bytes.size());
        EXPECT_FALSE(CopyImageToClipboard(ImageFromBytes(bytes)));
    }
    EXPECT_EQ(blocks_.size(), 1u);
}

TEST(CopyImageToClipboard, FailsWithoutAClipboard) {
    SetClipboardDibSink(nullptr);
    EXPECT_FALSE(CopyImageToClipboard(ImageFromBytes(k16x16x4)));
}

}  // namespace
}  // namespace tavrin
