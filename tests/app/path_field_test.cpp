#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell_fixture.h"
#include "support/scoped_environment.h"

namespace tavrin::testing {
namespace {

class PathField : public ShellTest {
  protected:
    std::vector<PropertyValue> WritesOf(Control control, Property property) const {
        std::vector<PropertyValue> values;
        for (const auto& write : runtime.writes) {
            if (write.control == control && write.property == property) {
                values.push_back(write.value);
            }
        }
        return values;
    }
};

TEST_F(PathField, DroppedModuleIsCountedAndSelected) {
    const std::string module = WriteModule("图标/tool.exe", 3);
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    runtime.Drop(module);
    EXPECT_EQ(Content(), module);
    EXPECT_EQ(Caption(), CaptionFor(3));
    EXPECT_FALSE(ExtractDisabled());
    // The whole path is selected, counted in bytes.
    EXPECT_EQ(runtime.GetInt(Control::编辑框1, Property::EditSelectionLength),
              static_cast<std::int32_t>(module.size()));
    EXPECT_TRUE(runtime.messages.empty());
}

// Each row: what is dropped, what the field then shows, and the count in the caption.
TEST_F(PathField, FailuresAndPathsThatMerelyContainTheMarker) {
    const std::string module = WriteModule("a.lnk.exe", 2);
    const std::string inLnkFolder = WriteModule("tools.lnk/app.exe", 1);
    const std::string notAShortcut = sources.Write("plain.lnk", ByteBuffer(100, 'x'));
    const std::string noFileSystemTarget = sources.Write(
        "computer.lnk", ShortcutBuilder().IdList({ComputerItem(), OtherItem()}).Build());
    ByteBuffer damaged = ShortcutToLocalPath("C:\\tool.exe");
    damaged.resize(90);
    const std::string damagedShortcut = sources.Write("damaged.lnk", damaged);
    const std::string shortcut = WriteShortcut("s.lnk", module);
    const std::string missing = sources.File("missing.exe");
    const std::string noIcons = sources.Write("readme.txt", ByteBuffer(10, 'a'));
    const std::string twoFiles = module + "\r\n" + inLnkFolder + "\r\n";
    const std::string listWithShortcut = module + "\r\n" + shortcut + "\r\n";

    struct Case {
        const char* name;
        std::string dropped;
        std::string field;
        int count;
    };
    const std::vector<Case> cases = {
        {"a.lnk.exe is kept and counted", module, module, 2},
        {"a file in a folder tools.lnk is kept", inLnkFolder, inLnkFolder, 1},
        {"a file named .lnk that is no shortcut is kept", notAShortcut, notAShortcut, 0},
        {"a missing .lnk file is kept", sources.File("gone.lnk"), sources.File("gone.lnk"), 0},
        {"a folder named .lnk is kept", sources.File("tools.lnk"), sources.File("tools.lnk"), 0},
        {"a shortcut without a file-system target empties the field", noFileSystemTarget, "", 0},
        {"a damaged shortcut empties the field", damagedShortcut, "", 0},
        {"several files: the list, count 0", twoFiles, twoFiles, 0},
        {"a list holding a shortcut is kept", listWithShortcut, listWithShortcut, 0},
        {"a missing file stays, count 0", missing, missing, 0},
        {"a file without icons stays, count 0", noIcons, noIcons, 0},
        {"an empty text", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        runtime.Drop(c.dropped);
        EXPECT_EQ(Content(), c.field);
        EXPECT_EQ(Caption(), CaptionFor(c.count));
        EXPECT_FALSE(ExtractDisabled());
    }
    EXPECT_TRUE(runtime.messages.empty());
}

TEST_F(PathField, ShortcutIsReplacedByItsTargetInANestedRun) {
    const std::string module = WriteModule("tool.exe", 3);
    const std::string shortcut = WriteShortcut("TOOL.LNK", module);
    runtime.Drop(shortcut);

    EXPECT_EQ(Content(), module);
    EXPECT_EQ(Caption(), CaptionFor(3));
    EXPECT_FALSE(ExtractDisabled());
    // The drop and the replacement; steps 4 to 7 ran twice with the same content.
    EXPECT_EQ(runtime.contentChangedCount, 2);
    const std::vector<PropertyValue> captions = {CaptionFor(3), CaptionFor(3)};
    EXPECT_EQ(WritesOf(Control::窗口, Property::WindowCaption), captions);
    const std::vector<PropertyValue> selections(2, static_cast<std::int32_t>(module.size()));
    EXPECT_EQ(WritesOf(Control::编辑框1, Property::EditSelectionLength), selections);
}

TEST_F(PathField, ShortcutToAMissingTargetShowsTheStoredPath) {
    runtime.Drop(WriteShortcut("old.lnk", "C:\\Program Files\\Old\\old.exe"));
    EXPECT_EQ(Content(), "C:\\Program Files\\Old\\old.exe");
    EXPECT_EQ(Caption(), CaptionFor(0));
}

TEST_F(PathField, ChainsOfShortcutsStopAfterEightFollowed) {
    const std::string module = WriteModule("end.exe", 2);
    // link1 -> link2 -> ... -> linkN -> module
    auto chain = [&](int length) {
        std::string target = module;
        for (int i = length; i >= 1; --i) {
            target = WriteShortcut(
                "chain" + std::to_string(length) + "_" + std::to_string(i) + ".lnk", target);
        }
        return target;
    };

    runtime.Drop(chain(8));
    EXPECT_EQ(Content(), module);
    EXPECT_EQ(Caption(), CaptionFor(2));

    // The ninth shortcut is not followed: the field keeps its path.
    runtime.Drop(chain(9));
    EXPECT_EQ(Content(), sources.File("chain9_9.lnk"));
    EXPECT_EQ(Caption(), CaptionFor(0));

    // Two shortcuts naming each other end too.
    const std::string a = sources.File("a.lnk");
    const std::string b = WriteShortcut("b.lnk", a);
    WriteShortcut("a.lnk", b);
    runtime.contentChangedCount = 0;
    runtime.Drop(a);
    EXPECT_EQ(runtime.contentChangedCount, 9);  // the drop and eight followed shortcuts
    EXPECT_EQ(Content(), a);                    // the ninth shortcut's path
    EXPECT_EQ(Caption(), CaptionFor(0));
    EXPECT_FALSE(ExtractDisabled());

    // The bound is per chain: a fresh drop follows again.
    runtime.Drop(chain(1));
    EXPECT_EQ(Content(), module);
}

TEST_F(PathField, DialogSettingsChoiceAndCancel) {
    TempDir home;
    std::filesystem::create_directories(home.path() / "Desktop");
    ScopedEnvironment env;
    env.Set("HOME", home.path().string());
    env.Set("XDG_CONFIG_HOME", std::nullopt);

    const std::string module = WriteModule("chosen.exe", 1);
    runtime.dialogAnswers = {module, std::nullopt};
    runtime.Click(Control::按钮_打开文件);
    EXPECT_EQ(runtime.GetText(Control::通用对话框1, Property::DialogInitialDirectory),
              home.path().string() + "/Desktop/");
    EXPECT_TRUE(runtime.GetBool(Control::通用对话框1, Property::DialogKeepDirectory));
    EXPECT_EQ(runtime.GetText(Control::通用对话框1, Property::DialogFilter),
              "可执行文件（*.exe)|*.exe|动态链接库（*.dll）|*.dll|图标资源库（*.icl）|*.icl|"
              "图标文件（*.ico）|*.ico|BMP图像文件(*.bmp)|*.bmp");
    EXPECT_EQ(Content(), module);
    EXPECT_EQ(Caption(), CaptionFor(1));

    // Cancelled: nothing changes, and the last choice stays in the dialog.
    const auto writes = runtime.writes.size();
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    runtime.Click(Control::按钮_打开文件);
    EXPECT_EQ(runtime.dialogOpenCount, 2);
    EXPECT_EQ(Content(), module);
    EXPECT_TRUE(ExtractDisabled());
    EXPECT_EQ(runtime.contentChangedCount, 1);
    EXPECT_EQ(runtime.GetText(Control::通用对话框1, Property::DialogFileName), module);
    EXPECT_EQ(runtime.writes.size(), writes + 1 + 3);  // the button, then the dialog settings

    // Without a desktop folder the dialog gets no initial directory.
    std::filesystem::remove(home.path() / "Desktop");
    runtime.Click(Control::按钮_打开文件);
    EXPECT_EQ(runtime.GetText(Control::通用对话框1, Property::DialogInitialDirectory), "");
}

}  // namespace
}  // namespace tavrin::testing
