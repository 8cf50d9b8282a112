#include "platform/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace tavrin {
namespace {

const std::array<std::uint8_t, 7> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};

TEST(ByteReader, ReadsLittleEndianFieldsInOrder) {
    ByteReader reader(kBytes);
    EXPECT_EQ(reader.U8(), 0x01);
    EXPECT_EQ(reader.U16(), 0x0302);
    EXPECT_EQ(reader.U32(), 0x07060504u);
    EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ByteReader, FailedReadConsumesNothing) {
    ByteReader reader(kBytes);
    ASSERT_TRUE(reader.Seek(5));
    EXPECT_EQ(reader.U32(), std::nullopt);
    EXPECT_EQ(reader.Bytes(3), std::nullopt);
    EXPECT_FALSE(reader.Skip(3));
    EXPECT_EQ(reader.position(), 5u);
    EXPECT_EQ(reader.U16(), 0x0706);
}

TEST(ByteReader, SeekPastEndFailsAndEndIsReachable) {
    ByteReader reader(kBytes);
    EXPECT_FALSE(reader.Seek(8));
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_TRUE(reader.Seek(7));
    EXPECT_EQ(reader.U8(), std::nullopt);
}

TEST(ByteReader, FixedOffsetReadsNearTheEndDoNotWrap) {
    EXPECT_EQ(ReadU32At(kBytes, 3), 0x07060504u);
    EXPECT_EQ(ReadU32At(kBytes, 4), std::nullopt);
    EXPECT_EQ(ReadU16At(kBytes, SIZE_MAX), std::nullopt);
    EXPECT_EQ(ReadI32At(std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}, 0), -1);
}

}  // namespace
}  // namespace tavrin
