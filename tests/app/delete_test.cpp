#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"

namespace tavrin::testing {
namespace {

constexpr const char* kDeleted = "删除的仅是本目录的被提取的ICO文件";

using Delete = ShellTest;

TEST_F(Delete, BeforeAnyExtractDoesNothing) {
    programFolder.Write("1.ico", {1});
    runtime.Click(Control::按钮_删除图标);
    EXPECT_TRUE(runtime.messages.empty());
    EXPECT_TRUE(runtime.removedFiles.empty());
    EXPECT_TRUE(Exists(Output(1)));
}

TEST_F(Delete, RemovesTheNumberedFilesOfTheLastSource) {
    const std::string module = WriteModule("tool.exe", 3);
    programFolder.Write("4.ico", {4});
    programFolder.Write("keep.txt", {1});
    runtime.Drop(module);
    runtime.Click(Control::按钮_提取图标);
    ASSERT_TRUE(Exists(Output(3)));

    runtime.Click(Control::按钮_删除图标);
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(Exists(Output(i)));
    EXPECT_TRUE(Exists(Output(4)));
    EXPECT_TRUE(Exists(programFolder.File("keep.txt")));
    const RecordedMessage message = {kDeleted, kIconNone, "信息："};
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0], message);
    EXPECT_TRUE(ExtractDisabled());  // the button keeps its state

    // A second click removes nothing new and says the same again.
    runtime.Click(Control::按钮_删除图标);
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[1], message);
    EXPECT_EQ(LastExtractedPath, module);
}

TEST_F(Delete, CountsTheSourceAsItIsNow) {
    const std::string module = WriteModule("tool.exe", 3);
    runtime.Drop(module);
    runtime.Click(Control::按钮_提取图标);

    WriteModule("tool.exe", 1);  // the source changed: one group left
    runtime.Click(Control::按钮_删除图标);
    EXPECT_FALSE(Exists(Output(1)));
    EXPECT_TRUE(Exists(Output(2)));
    EXPECT_TRUE(Exists(Output(3)));
    EXPECT_EQ(runtime.messages.size(), 1u);

    ASSERT_TRUE(DeleteFileAt(module));  // the source is gone: nothing removed, nothing said
    runtime.removedFiles.clear();
    runtime.Click(Control::按钮_删除图标);
    EXPECT_TRUE(runtime.removedFiles.empty());
    EXPECT_TRUE(Exists(Output(2)));
    EXPECT_EQ(runtime.messages.size(), 1u);
}

TEST_F(Delete, RemovesTheConvertedBitmapIcon) {
    runtime.Drop(WriteBitmap("x.bmp"));
    runtime.Click(Control::按钮_提取图标);
    ASSERT_TRUE(Exists(Output(1)));
    runtime.Click(Control::按钮_删除图标);
    EXPECT_FALSE(Exists(Output(1)));
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].text, kDeleted);
}

}  // namespace
}  // namespace tavrin::testing
