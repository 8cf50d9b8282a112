#include "bitmap/bitmap_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hooks.h"
#include "support/bmp_builder.h"
#include "support/byte_builder.h"

namespace tavrin {
namespace {

using testing::BmpHeader;
using testing::BmpImage;
using testing::BuildBmp;

// A reader created for one test and destroyed with it.
class Reader {
  public:
    Reader() { CreateBitmapReader(handle_); }
    ~Reader() { DestroyBitmapReader(handle_); }
    BitmapReader& operator*() { return handle_; }
    bool Load(const ByteBuffer& bytes) { return LoadBitmapBytes(handle_, bytes); }
    std::int32_t Pixel(std::int32_t x, std::int32_t y) { return BitmapPixel(handle_, x, y); }
    std::string Error() const { return handle_.errorText.get(); }

  private:
    BitmapReader handle_;
};

BmpImage Image(std::uint16_t bitCount, std::int32_t width, std::int32_t height,
               std::vector<std::uint32_t> pixels, std::vector<std::uint32_t> palette = {}) {
    BmpImage image;
    image.bitCount = bitCount;
    image.width = width;
    image.height = height;
    image.pixels = std::move(pixels);
    image.palette = std::move(palette);
    return image;
}

std::vector<std::uint32_t> Grey(std::size_t count) {
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < count; ++i) palette.push_back(i * 0x010101);
    return palette;
}

TEST(BitmapReader, EmptyReaderHasNothingToGive) {
    Reader reader;
    EXPECT_EQ(reader.Error(), "");
    EXPECT_EQ(BitmapWidth(*reader), -1);
    EXPECT_EQ(reader.Error(), kBitmapNotLoadedText);
    EXPECT_EQ(BitmapHeight(*reader), -1);
    EXPECT_EQ(reader.Pixel(0, 0), 0);
    EXPECT_EQ(reader.Error(), kBitmapNotLoadedText);
}

// Each layout stores the same kind of picture; every pixel named here is read back.
TEST(BitmapReader, ReadsPixelsOfEveryLayout) {
    struct Probe {
        std::int32_t x, y;
        std::int32_t colour;
    };
    struct Case {
        const char* name;
        ByteBuffer file;
        std::vector<Probe> probes;
    };
    BmpImage eightBit = Image(8, 3, 2, {5, 0, 255, 7, 1, 2}, Grey(256));
    ByteBuffer eightBitFile = BuildBmp(eightBit);
    eightBitFile[54 + 4 * 5 + 3] = 0xFF;  // the reserved byte of entry 5 plays no part
    BmpImage core4 = Image(4, 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 15}, Grey(16));
    core4.header = BmpHeader::Core12;
    BmpImage info4 = core4;
    info4.header = BmpHeader::Info40;
    BmpImage alpha32 = Image(32, 2, 1, {0x0A141E, 0xFFFFFF});
    alpha32.fourthByte = 0xFF;
    BmpImage skipped = Image(24, 2, 1, {0x0A141E, 0x010203}, {0xAAAAAA, 0xBBBBBB});
    skipped.clrUsed = 2;

    const std::vector<Case> cases = {
        // 2 x 2 bottom-up: (0, 0) is the first pixel of the last stored row.
        {"24 bits",
         BuildBmp(Image(24, 2, 2, {0x0A141E, 0x112233, 0x445566, 0x778899})),
         {{0, 0, 660510}, {1, 0, 0x112233}, {0, 1, 0x445566}, {1, 1, 0x778899}}},
        {"8 bits, 256 entries",
         eightBitFile,
         {{0, 0, 0x050505}, {1, 0, 0}, {2, 0, 0xFFFFFF}, {0, 1, 0x070707}, {2, 1, 0x020202}}},
        // 9 wide: rows 4 bytes apart, x = 8 is bit 7 of the second byte.
        {"1 bit, 9 wide",
         BuildBmp(Image(1, 9, 3, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
                        {0x000000, 0xFFFFFF})),
         {{0, 0, 0xFFFFFF}, {1, 0, 0}, {8, 0, 0xFFFFFF}, {8, 1, 0}, {7, 2, 0xFFFFFF}, {8, 2, 0}}},
        {"4 bits, info header",
         BuildBmp(info4),
         {{0, 0, 0x010101},
          {1, 0, 0x020202},
          {2, 0, 0x030303},
          {0, 2, 0x070707},
          {2, 2, 0x0F0F0F}}},
        {"4 bits, core header",
         BuildBmp(core4),
         {{0, 0, 0x010101},
          {1, 0, 0x020202},
          {2, 0, 0x030303},
          {0, 2, 0x070707},
          {2, 2, 0x0F0F0F}}},
        {"16 bits, 5-5-5",
         BuildBmp(Image(16, 5, 1, {0x7FFF, 0x0000, 0x001F, 0x03E0, 0xFC00})),
         {{0, 0, 0xF8F8F8}, {1, 0, 0}, {2, 0, 0xF80000}, {3, 0, 0x00F800}, {4, 0, 0x0000F8}}},
        {"32 bits, fourth byte FF", BuildBmp(alpha32), {{0, 0, 0x0A141E}, {1, 0, 0xFFFFFF}}},
        {"24 bits, biClrUsed 2", BuildBmp(skipped), {{0, 0, 0x0A141E}, {1, 0, 0x010203}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Reader reader;
        ASSERT_TRUE(reader.Load(test.file));
        for (const Probe& probe : test.probes) {
            SCOPED_TRACE(std::to_string(probe.x) + "," + std::to_string(probe.y));
            EXPECT_EQ(reader.Pixel(probe.x, probe.y), probe.colour);
            EXPECT_EQ(reader.Error(), "");
        }
    }
}

TEST(BitmapReader, PixelsOutsideTheBitmapFail) {
    Reader reader;
    ASSERT_TRUE(reader.Load(BuildBmp(Image(24, 3, 2, testing::PatternPixels(3, 2)))));
    EXPECT_EQ(BitmapWidth(*reader), 3);
    EXPECT_EQ(BitmapHeight(*reader), 2);
    reader.Pixel(2, 1);
    EXPECT_EQ(reader.Error(), "");
    const std::pair<std::int32_t, std::int32_t> outside[] = {
        {3, 0}, {0, 2}, {-1, 0}, {0, -1}, {INT32_MAX, 0}, {0, INT32_MAX}, {INT32_MIN, INT32_MIN}};
    for (const auto& [x, y] : outside) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(reader.Pixel(x, y), 0);
        EXPECT_EQ(reader.Error(), kBitmapOutOfRangeText);
    }
    // Each operation empties the text first.
    EXPECT_EQ(BitmapWidth(*reader), 3);
    EXPECT_EQ(reader.Error(), "");
}

TEST(BitmapReader, TopDownBitmapLoadsButHasNoReadablePixel) {
    BmpImage image = Image(24, 2, 2, testing::PatternPixels(2, 2));
    image.topDown = true;
    Reader reader;
    ASSERT_TRUE(reader.Load(BuildBmp(image)));
    EXPECT_EQ(BitmapHeight(*reader), -2);
    for (std::int32_t y = -2; y < 2; ++y) {
        EXPECT_EQ(reader.Pixel(0, y), 0);
        EXPECT_EQ(reader.Error(), kBitmapOutOfRangeText);
    }
}

// The stored bytes may be fewer than the header implies; such pixels fail instead of being read
// from outside the block.
TEST(BitmapReader, ShortDataAndHostileSizesFailThePixelRead) {
    struct Case {
        const char* name;
        ByteBuffer file;
        std::int32_t x, y;
    };
    ByteBuffer truncated = BuildBmp(Image(24, 4, 4, testing::PatternPixels(4, 4)));
    truncated.resize(truncated.size() - 20);  // the top row and a bit of the next
    truncated[2] = 0;                         // bfSize 0 is accepted
    BmpImage shortTable = Image(8, 4, 1, {0, 1, 5, 1}, Grey(2));
    shortTable.clrUsed = 2;
    ByteBuffer hugeWidth = BuildBmp(Image(24, 2, 2, {}));
    ByteBuffer hugePlanes = BuildBmp(Image(32, 4, 4, {}));
    hugePlanes[26] = hugePlanes[27] = 0xFF;  // biPlanes 65535
    hugeWidth[18] = hugeWidth[19] = hugeWidth[20] = 0xFF, hugeWidth[21] = 0x7F;
    hugeWidth[22] = hugeWidth[23] = hugeWidth[24] = 0xFF, hugeWidth[25] = 0x7F;
    const Case cases[] = {
        {"row beyond the stored bytes", truncated, 0, 0},
        {"pixel beyond the stored bytes", truncated, 3, 1},
        {"index beyond the table", BuildBmp(shortTable), 2, 0},
        {"width and height 2^31 - 1", hugeWidth, 0x7FFFFFFE, 0},
        {"width and height 2^31 - 1, last row", hugeWidth, 5, 0x7FFFFFFE},
        {"65535 planes", hugePlanes, 3, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Reader reader;
        ASSERT_TRUE(reader.Load(test.file));
        EXPECT_EQ(reader.Pixel(test.x, test.y), 0);
        EXPECT_EQ(reader.Error(), kBitmapOutOfRangeText);
    }
    // What is stored stays readable.
    Reader reader;
    ASSERT_TRUE(reader.Load(truncated));
    EXPECT_EQ(reader.Pixel(0, 3), 0xFFFEFF);
    ASSERT_TRUE(reader.Load(BuildBmp(shortTable)));
    EXPECT_EQ(reader.Pixel(1, 0), 0x010101);
}

TEST(BitmapReader, RefusedFiles) {
    const ByteBuffer good = BuildBmp(Image(24, 3, 2, testing::PatternPixels(3, 2)));
    auto with = [&](std::size_t offset, std::uint32_t value, std::size_t width = 4) {
        ByteBuffer bytes = good;
        for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = (value >> (8 * i)) & 0xFF;
        return bytes;
    };
    BmpImage coreTable = Image(8, 2, 2, {}, Grey(4));
    coreTable.header = BmpHeader::Core12;
    ByteBuffer coreShort = BuildBmp(coreTable);  // 8-bit core header: 256 entries implied
    BmpImage v4 = Image(24, 3, 2, {});
    v4.header = BmpHeader::V4;
    BmpImage v5 = v4;
    v5.header = BmpHeader::V5;

    struct Case {
        const char* name;
        ByteBuffer file;
    };
    const Case cases[] = {
        {"53 bytes", ByteBuffer(good.begin(), good.begin() + 53)},
        {"\"MB\"", with(0, 0x424D, 2)},
        {"bfSize one beyond the data", with(2, static_cast<std::uint32_t>(good.size() + 1))},
        {"header size 108", BuildBmp(v4)},
        {"header size 124", BuildBmp(v5)},
        {"header size 0", with(14, 0)},
        {"bit count 0", with(28, 0, 2)},
        {"bit count 2", with(28, 2, 2)},
        {"bit count 64", with(28, 64, 2)},
        {"biClrUsed beyond the data", with(46, 7)},
        {"biClrUsed 2^32 - 1", with(46, 0xFFFFFFFF)},
        {"core table beyond the data", coreShort},
        {"bfOffBits at the end", with(10, static_cast<std::uint32_t>(good.size()))},
        {"bfOffBits 2^32 - 1", with(10, 0xFFFFFFFF)},
        {"RLE8", with(30, 1)},
        {"RLE4", with(30, 2)},
        {"bit fields", with(30, 3)},
        {"the seven bytes \"version\"", testing::ByteBuilder().Text("version").Take()},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Reader reader;
        ASSERT_TRUE(reader.Load(good));
        EXPECT_FALSE(reader.Load(test.file));
        EXPECT_EQ(reader.Error(), kBitmapUnsupportedText);
        // The bitmap loaded before is gone.
        EXPECT_EQ(BitmapWidth(*reader), -1);
        EXPECT_EQ(BitmapHeight(*reader), -1);
        EXPECT_EQ(reader.Pixel(0, 0), 0);
        EXPECT_EQ(reader.Error(), kBitmapNotLoadedText);
    }
}

TEST(BitmapReader, EmptyLoadFailsAndKeepsTheBitmap) {
    Reader reader;
    ASSERT_TRUE(reader.Load(BuildBmp(Image(24, 1, 1, {0x0A141E}))));
    EXPECT_FALSE(reader.Load({}));
    EXPECT_EQ(reader.Error(), kBitmapUnsupportedText);
    EXPECT_EQ(reader.Pixel(0, 0), 0x0A141E);
}

TEST(BitmapReader, StoredBlockIsIndependentOfTheCallersBuffer) {
    Reader reader;
    ByteBuffer file = BuildBmp(Image(24, 1, 1, {0x0A141E}));
    ASSERT_TRUE(reader.Load(file));
    std::fill(file.begin(), file.end(), 0);
    file.clear();
    file.shrink_to_fit();
    EXPECT_EQ(reader.Pixel(0, 0), 0x0A141E);
}

TEST(BitmapReader, VersionShowsTheRevisionNotesOnce) {
    std::vector<std::pair<std::string, std::string>> notices;
    SetNoticeSink([&](const std::string& text, const std::string& title) {
        notices.emplace_back(text, title);
    });
    Reader reader;
    EXPECT_FALSE(reader.Load(testing::ByteBuilder().Text("version").Take()));
    EXPECT_FALSE(reader.Load(testing::ByteBuilder().Text("Version").Take()));
    EXPECT_FALSE(reader.Load(testing::ByteBuilder().Text("version!").Take()));
    SetNoticeSink(nullptr);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, kBitmapRevisionNotes);
    EXPECT_EQ(notices[0].second, "更新历史!");
}

TEST(BitmapReader, ExceptionKeepsAtMost254Bytes) {
    const std::string longText(300, 'x');
    EXPECT_EQ(std::string(CDIBException(longText).what()), std::string(254, 'x'));
    EXPECT_EQ(std::string(CDIBException(kBitmapOutOfRangeText).what()), kBitmapOutOfRangeText);
}

}  // namespace
}  // namespace tavrin
