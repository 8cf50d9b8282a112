#include "app/about.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/handlers.h"
#include "app/rc4.h"
#include "support/fake_runtime.h"

namespace tavrin {
namespace {

ByteBuffer Bytes(const std::string& text) {
    return ByteBuffer(text.begin(), text.end());
}

TEST(Rc4, PublishedTestVectors) {
    struct Case {
        std::string key;
        std::string plain;
        ByteBuffer cipher;
    };
    const std::vector<Case> cases = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret",
         "Attack at dawn",
         {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(Rc4(Bytes(c.key), Bytes(c.plain)), c.cipher);
        EXPECT_EQ(Rc4(Bytes(c.key), c.cipher), Bytes(c.plain));  // its own inverse
    }
    EXPECT_TRUE(Rc4(Bytes("Key"), {}).empty());
}

// The about text as it must read; the program keeps only its cipher text.
const std::string kAboutText =
    "1. 本软件提取 EXE、DLL、ICL 文件里的全部图标，也能复制 ICO 图标文件。\n"
    "2. 把文件拖到窗口上，或点击“选择文件”选取文件，标题栏会显示发现的图标数。\n"
    "3. 点击“提取图标”或按回车键开始提取；BMP 图像会转换成一个图标，转换失败时可勾选“兼容模式”"
    "再试。\n"
    "4. 提取出的图标保存在本程序所在的文件夹里，依次命名为 1.ico、2.ico、3.ico……\n"
    "5. 点击“删除图标”会删除本程序文件夹里上次提取出的图标文件。\n"
    "6. ";

TEST(About, CipherTextHoldsNoZeroAndDeciphersToTheText) {
    EXPECT_EQ(AboutPassword.size(), 12u);
    EXPECT_EQ(AboutCipherText.size(), kAboutText.size());
    EXPECT_EQ(std::count(AboutCipherText.begin(), AboutCipherText.end(), 0), 0);
    EXPECT_EQ(AboutCipherText.data()[AboutCipherText.size()], 0);  // the stored terminator
    EXPECT_EQ(DecipherAboutText(), kAboutText);
}

TEST(About, ClickShowsTheTextWithItsTitleEveryTime) {
    testing::FakeRuntime runtime;
    runtime.Click(Control::按钮_打开文件1);
    runtime.Click(Control::按钮_打开文件1);
    const testing::RecordedMessage expected = {kAboutText + "支持查询快捷方式lnk", kIconNone,
                                               "作者编语，初次使用请看第 4 条说明~"};
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[0], expected);
    EXPECT_EQ(runtime.messages[1], expected);
}

}  // namespace
}  // namespace tavrin
