#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell_fixture.h"
#include "support/file_size_limit.h"

namespace tavrin::testing {
namespace {

constexpr const char* kBadPath = "文件路径不正确，请尝试更换文件再试！";
constexpr const char* kNoIcons = "该文件内有没发现图标文件";
constexpr const char* kBitmapFailed = "BMP转换ICO图标失败！";

using Extract = ShellTest;

bool IsIconFile(const ByteBuffer& bytes) {
    return bytes.size() > 6 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0;
}

TEST_F(Extract, WritesEveryGroupThenDisablesTheButton) {
    const std::string module = WriteModule("tool.exe", 3);
    const ByteBuffer earlier = {1, 2, 3};
    programFolder.Write("5.ico", earlier);
    runtime.Drop(module);
    runtime.Click(Control::按钮_提取图标);

    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(IsIconFile(ReadFileBytes(Output(i))));
    }
    EXPECT_FALSE(Exists(Output(4)));
    EXPECT_EQ(ReadFileBytes(Output(5)), earlier);  // the folder is not emptied first
    EXPECT_TRUE(runtime.messages.empty());
    EXPECT_TRUE(ExtractDisabled());
    EXPECT_EQ(LastExtractedPath, module);
}

TEST_F(Extract, RefusedSourcesLeaveEverythingAsItWas) {
    const std::string noIcons = sources.Write("notes.txt", ByteBuffer(64, 'a'));
    struct Case {
        const char* name;
        std::optional<std::string> dropped;  // none: the field's first text
        const char* message;
    };
    const std::vector<Case> cases = {
        {"the field's first text", std::nullopt, kBadPath},
        {"an empty path", "", kBadPath},
        {"no dot anywhere", sources.path().string() + "/tool", kBadPath},
        {"a missing file", sources.File("missing.exe"), kNoIcons},
        {"a file without icons", noIcons, kNoIcons},
        {"a dot only in a folder name, no icons", sources.File("tools.old/app"), kNoIcons},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LastExtractedPath = "earlier";
        runtime.messages.clear();
        if (c.dropped) runtime.Drop(*c.dropped);
        runtime.Click(Control::按钮_提取图标);
        ASSERT_EQ(runtime.messages.size(), 1u);
        EXPECT_EQ(runtime.messages[0], (RecordedMessage{c.message, kIconError, "信息："}));
        EXPECT_FALSE(ExtractDisabled());
        EXPECT_EQ(LastExtractedPath, "earlier");
        EXPECT_FALSE(Exists(Output(1)));
    }
}

TEST_F(Extract, DotOnlyInAFolderNamePassesThePathCheck) {
    // The kind of a source comes from its last three bytes, so "setupexe" is a module.
    const std::string module = WriteModule("tools.old/setupexe", 2);
    runtime.Drop(module);
    EXPECT_EQ(Caption(), CaptionFor(2));
    runtime.Click(Control::按钮_提取图标);
    EXPECT_TRUE(runtime.messages.empty());
    EXPECT_TRUE(IsIconFile(ReadFileBytes(Output(2))));
    EXPECT_EQ(LastExtractedPath, module);
}

TEST_F(Extract, ButtonStaysDisabledUntilThePathIsWrittenAgain) {
    const std::string module = WriteModule("tool.exe", 1);
    runtime.Drop(module);
    runtime.PressEnter();
    ASSERT_TRUE(ExtractDisabled());
    ASSERT_TRUE(DeleteFileAt(Output(1)));

    runtime.PressEnter();
    runtime.Click(Control::按钮_提取图标);
    EXPECT_FALSE(Exists(Output(1)));  // neither Enter nor a click ran the command

    runtime.Drop(module);  // the same path again
    EXPECT_FALSE(ExtractDisabled());
    runtime.PressEnter();
    EXPECT_TRUE(Exists(Output(1)));
    EXPECT_TRUE(ExtractDisabled());
    EXPECT_TRUE(runtime.messages.empty());
}

TEST_F(Extract, IconFileSourceIsCopiedAsOneGroup) {
    const std::string icon =
        sources.Write("app.ICO", BuildIcoFile({.images = {BuildDibImage({})}}));
    runtime.Drop(icon);
    runtime.Click(Control::按钮_提取图标);
    EXPECT_TRUE(IsIconFile(ReadFileBytes(Output(1))));
    EXPECT_FALSE(Exists(Output(2)));
    EXPECT_TRUE(runtime.messages.empty());
}

// The bitmap branch: the check box picks the converter; any letter case of ".bmp" counts.
TEST_F(Extract, BitmapIsConvertedByEitherConverter) {
    for (const char* name : {"x.bmp", "X.BMP", "x.Bmp"}) {
        for (bool compatible : {false, true}) {
            SCOPED_TRACE(std::string(name) + (compatible ? " compatible" : " direct"));
            DeleteFileAt(Output(1));
            runtime.messages.clear();
            runtime.SetControlProperty(Control::选择框_兼容模式, Property::CheckBoxChecked,
                                       compatible);
            const std::string bitmap = WriteBitmap(name);
            ASSERT_EQ(ReadFileBytes(bitmap).size(), 822u);
            runtime.Drop(bitmap);
            runtime.Click(Control::按钮_提取图标);
            EXPECT_EQ(ReadFileBytes(Output(1)).size(), 894u);
            EXPECT_TRUE(runtime.messages.empty());
            EXPECT_TRUE(ExtractDisabled());
            EXPECT_EQ(LastExtractedPath, bitmap);
        }
    }
}

TEST_F(Extract, FailedConversionKeepsTheEarlierIconAndSaysSo) {
    // biSizeImage 0 stops the direct converter only; a width of 256 stops both.
    struct Case {
        const char* name;
        std::int32_t width;
        bool sizeImageZero;
        bool compatible;
        bool converted;
    };
    const std::vector<Case> cases = {
        {"size 0, direct", 16, true, false, false},
        {"size 0, compatible", 16, true, true, true},
        {"too wide, direct", 256, false, false, false},
        {"too wide, compatible", 256, false, true, false},
    };
    const ByteBuffer earlier = {0, 0, 1, 0, 9, 9, 9};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        programFolder.Write("1.ico", earlier);
        runtime.messages.clear();
        LastExtractedPath.clear();
        runtime.SetControlProperty(Control::选择框_兼容模式, Property::CheckBoxChecked,
                                   c.compatible);
        const std::string bitmap = WriteBitmap("p.bmp", c.width, c.sizeImageZero);
        runtime.Drop(bitmap);
        runtime.Click(Control::按钮_提取图标);
        if (c.converted) {
            EXPECT_EQ(ReadFileBytes(Output(1)).size(), 894u);
            EXPECT_TRUE(runtime.messages.empty());
        } else {
            EXPECT_EQ(ReadFileBytes(Output(1)), earlier);
            ASSERT_EQ(runtime.messages.size(), 1u);
            EXPECT_EQ(runtime.messages[0], (RecordedMessage{kBitmapFailed, kIconNone, "信息："}));
        }
        EXPECT_TRUE(ExtractDisabled());
        EXPECT_EQ(LastExtractedPath, bitmap);
    }
}

TEST_F(Extract, FailedWriteOfTheConvertedIconIsReported) {
    const ByteBuffer earlier = {0, 0, 1, 0, 9, 9, 9};
    programFolder.Write("1.ico", earlier);
    runtime.Drop(WriteBitmap("x.bmp"));
    {
        FileSizeLimit limit(100);
        runtime.Click(Control::按钮_提取图标);
    }
    // The writer kept the earlier file; reading it back must not pass for the new one.
    EXPECT_EQ(ReadFileBytes(Output(1)), earlier);
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0], (RecordedMessage{kBitmapFailed, kIconNone, "信息："}));
    EXPECT_TRUE(ExtractDisabled());
}

TEST(OutputIconPath, NumbersInTheProgramFolder) {
    FakeRuntime runtime("/opt/tavrin");
    EXPECT_EQ(OutputIconPath(runtime, 1), "/opt/tavrin/1.ico");
    EXPECT_EQ(OutputIconPath(runtime, 12), "/opt/tavrin/12.ico");
}

}  // namespace
}  // namespace tavrin::testing
