#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::FileSizeLimit;
using testing::TempDir;

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

TEST(Files, WriteThenReadGivesTheSameBytes) {
    TempDir dir;
    ByteBuffer bytes = {1, 2, 3, 0, 255};
    ASSERT_TRUE(WriteFileAtomically(dir.File("a.bin"), bytes));
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), bytes);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Files, EmptyWriteLeavesAnEmptyFile) {
    TempDir dir;
    dir.Write("a.bin", {9, 9});
    ASSERT_TRUE(WriteFileAtomically(dir.File("a.bin"), {}));
    EXPECT_EQ(std::filesystem::file_size(dir.File("a.bin")), 0u);
}

TEST(Files, ShortWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
    TempDir dir;
    ByteBuffer earlier = {7, 7, 7};
    dir.Write("a.bin", earlier);
    {
        FileSizeLimit limit(16);
        EXPECT_FALSE(WriteFileAtomically(dir.File("a.bin"), ByteBuffer(100, 1)));
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), earlier);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Files, WriteOverADirectoryFailsAndLeavesNoTemporary) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory(dir.path() / "sub" / "inner");
    EXPECT_FALSE(WriteFileAtomically(dir.File("sub"), ByteBuffer{1}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "sub"));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Files, WriteIntoAMissingFolderFails) {
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/a.bin"), ByteBuffer{1}));
}

TEST(Files, MissingEmptyAndFolderReadAsEmpty) {
    TempDir dir;
    dir.Write("empty", {});
    EXPECT_TRUE(ReadFileBytes(dir.File("missing")).empty());
    EXPECT_TRUE(ReadFileBytes(dir.File("empty")).empty());
    EXPECT_TRUE(ReadFileBytes(dir.path().string()).empty());
}

TEST(Files, AFifoIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe.exe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadOnlyFile::Open(dir.File("pipe.exe")));
    EXPECT_TRUE(ReadFileBytes(dir.File("pipe.exe")).empty());
}

TEST(Files, ReadAtChecksTheRange) {
    TempDir dir;
    auto file = ReadOnlyFile::Open(dir.Write("a.bin", {1, 2, 3, 4}));
    ASSERT_TRUE(file);
    std::uint8_t out[2] = {};
    EXPECT_TRUE(file->ReadAt(2, out));
    EXPECT_EQ(out[0], 3);
    EXPECT_FALSE(file->ReadAt(3, out));
    EXPECT_FALSE(file->ReadAt(UINT64_MAX, out));
}

TEST(Files, DeleteRemovesFilesOnly) {
    TempDir dir;
    dir.Write("a.bin", {1});
    std::filesystem::create_directory(dir.path() / "sub");
    EXPECT_TRUE(DeleteFileAt(dir.File("a.bin")));
    EXPECT_FALSE(DeleteFileAt(dir.File("a.bin")));
    EXPECT_FALSE(DeleteFileAt(dir.File("sub")));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "sub"));
}

}  // namespace
}  // namespace tavrin
