// The shell's commands in the real window on the offscreen platform, with the program folder in a
// temporary directory: a dropped module's count in the caption, extract, delete and about.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/handlers.h"
#include "app/layout.h"
#include "bitmap/converters.h"
#include "platform/files.h"
#include "platform/qt/qt_runtime.h"
#include "support/bmp_builder.h"
#include "support/icon_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

// The Qt run time with its program folder moved to a directory of the test's own.
class TempFolderRuntime : public qt::QtRuntime {
  public:
    explicit TempFolderRuntime(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramDirectory() override { return folder_; }

  private:
    std::string folder_;
};

struct Shown {
    std::string title;
    std::string text;
    QMessageBox::Icon icon;
    bool operator==(const Shown&) const = default;
};

class ShellWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        LastExtractedPath.clear();
        runtime.SetModalRunner([this](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (!box) return 0;
            shown.push_back(
                {box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
            return int{QMessageBox::Ok};
        });
        ASSERT_TRUE(runtime.LoadWindow(MainWindowLayout()));
        window = runtime.Window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { LastExtractedPath.clear(); }

    std::string WriteModule(const std::string& name, int groups) {
        testing::PeBuilder pe;
        for (int i = 1; i <= groups; ++i) {
            const auto id = static_cast<std::uint16_t>(i);
            pe.AddIcon(id, testing::BuildDibImage({}));
            pe.AddGroup(ResourceName(id), {id});
        }
        const std::string path = sources.File(name);
        EXPECT_TRUE(pe.WriteTo(path));
        return path;
    }

    // Drags one local file over the middle of the window and drops it, as the window system does.
    void DropFile(const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QWindow* target = window->windowHandle();
        const QPoint at = window->rect().center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        ASSERT_TRUE(drop.isAccepted());
    }

    void ClickButton(Control control) {
        auto* button = qobject_cast<QPushButton*>(runtime.ControlWidget(control));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    bool ExtractEnabled() { return runtime.ControlWidget(Control::按钮_提取图标)->isEnabled(); }
    bool Exists(int n) const {
        return std::filesystem::exists(programFolder.File(std::to_string(n) + ".ico"));
    }

    testing::TempDir programFolder;
    testing::TempDir sources;
    TempFolderRuntime runtime{programFolder.path().string()};
    QWidget* window = nullptr;
    std::vector<Shown> shown;
};

TEST_F(ShellWindow, DroppedModuleShowsItsCountInTheCaption) {
    const std::string module = WriteModule("tool.exe", 3);
    DropFile(module);
    EXPECT_EQ(window->windowTitle(), QString("发现图标数为：3个"));
    auto* edit = qobject_cast<QLineEdit*>(runtime.ControlWidget(Control::编辑框1));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), module);
    EXPECT_TRUE(ExtractEnabled());
    EXPECT_TRUE(shown.empty());
}

TEST_F(ShellWindow, ExtractThenDelete) {
    DropFile(WriteModule("tool.exe", 3));
    ClickButton(Control::按钮_提取图标);
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(Exists(i)) << i;
    EXPECT_FALSE(Exists(4));
    EXPECT_FALSE(ExtractEnabled());
    EXPECT_TRUE(shown.empty());

    ClickButton(Control::按钮_删除图标);
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(Exists(i)) << i;
    const std::vector<Shown> expected = {
        {"信息：", "删除的仅是本目录的被提取的ICO文件", QMessageBox::NoIcon}};
    EXPECT_EQ(shown, expected);
}

TEST_F(ShellWindow, BitmapsConvertWithTheConverterTheBoxChoosesAndFailuresKeepTheEarlierIcon) {
    testing::BmpImage eightBit;
    eightBit.width = 4;
    eightBit.height = 2;
    eightBit.bitCount = 8;
    eightBit.clrUsed = 2;
    eightBit.palette = {0x000000, 0xFFFFFF};
    eightBit.pixels = {0, 1, 1, 0, 1, 0, 0, 1};
    const ByteBuffer bitmap = testing::BuildBmp(eightBit);
    const std::string path = sources.Write("photo.BMP", bitmap);

    // The direct converter takes only 24-bit rows: nothing is written over the earlier icon.
    const ByteBuffer earlier = {0, 0, 1, 0, 0, 0};
    programFolder.Write("1.ico", earlier);
    DropFile(path);
    ClickButton(Control::按钮_提取图标);
    const std::vector<Shown> failed = {{"信息：", "BMP转换ICO图标失败！", QMessageBox::NoIcon}};
    EXPECT_EQ(shown, failed);
    EXPECT_EQ(ReadFileBytes(programFolder.File("1.ico")), earlier);
    EXPECT_FALSE(ExtractEnabled());

    // Ticked, the compatibility converter reads it through the bitmap reader.
    auto* box = qobject_cast<QCheckBox*>(runtime.ControlWidget(Control::选择框_兼容模式));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->isChecked());
    DropFile(path);
    ClickButton(Control::按钮_提取图标);
    ByteBuffer expected;
    ASSERT_TRUE(BmpToIcoCompat(bitmap, expected));
    EXPECT_EQ(ReadFileBytes(programFolder.File("1.ico")), expected);
    EXPECT_EQ(shown, failed) << "no further message";
}

TEST_F(ShellWindow, AboutShowsTheTextAndTitle) {
    ClickButton(Control::按钮_打开文件1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "作者编语，初次使用请看第 4 条说明~");
    EXPECT_EQ(shown[0].text, DecipherAboutText() + "支持查询快捷方式lnk");
    EXPECT_TRUE(shown[0].text.starts_with("1. "));
    EXPECT_NE(shown[0].text.find("\n4. 提取出的图标保存在本程序所在的文件夹里"), std::string::npos);
    EXPECT_TRUE(shown[0].text.ends_with("\n6. 支持查询快捷方式lnk"));
    EXPECT_EQ(shown[0].icon, QMessageBox::NoIcon);
}

}  // namespace
}  // namespace tavrin
