// The message box, the open-file dialog with its filter, and the clipboard image, driven through
// the run time's modal runner so that no dialog waits for a user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QMessageBox>

#include "app/layout.h"
#include "platform/hooks.h"
#include "platform/qt/dialog_filter.h"
#include "platform/qt/qt_runtime.h"
#include "recording_layout.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using qt::QtRuntime;

constexpr const char* kFilter =
    "可执行文件（*.exe)|*.exe|动态链接库（*.dll）|*.dll|图标资源库（*.icl）|*.icl|"
    "图标文件（*.ico）|*.ico|BMP图像文件(*.bmp)|*.bmp";

TEST(Messages, OneOkButtonNoOwnerAndTheIconAndTitleAsAsked) {
    QtRuntime runtime;
    struct Shown {
        QString title, text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        bool owned;
        Qt::WindowModality modality;
    };
    std::vector<Shown> shown;
    runtime.SetModalRunner([&](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        shown.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                         box.parentWidget() != nullptr, box.windowModality()});
        return int{QMessageBox::Ok};
    });
    const struct {
        int iconKind;
        std::optional<std::string> title;
        QMessageBox::Icon icon;
        QString expectedTitle;
    } cases[] = {
        {kIconNone, std::nullopt, QMessageBox::NoIcon, "信息："},
        {kIconError, std::nullopt, QMessageBox::Critical, "信息："},
        {kIconNone, "软件说明", QMessageBox::NoIcon, "软件说明"},
        {kIconError, "", QMessageBox::Critical, "信息："},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedTitle.toStdString());
        shown.clear();
        if (c.title) {
            runtime.ShowMessage("文件路径不正确", c.iconKind, *c.title);
        } else {
            runtime.ShowMessage("文件路径不正确", c.iconKind);
        }
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, c.expectedTitle);
        EXPECT_EQ(shown[0].text, "文件路径不正确");
        EXPECT_EQ(shown[0].icon, c.icon);
        EXPECT_EQ(shown[0].buttons, QMessageBox::Ok);
        EXPECT_FALSE(shown[0].owned);
        EXPECT_EQ(shown[0].modality, Qt::ApplicationModal);
    }
}

TEST(DialogFilter, PairsBecomeEntriesWithThePatternInAsciiParenthesesAtTheEnd) {
    const struct {
        const char* filter;
        QStringList entries;
    } cases[] = {
        {"可执行文件（*.exe)|*.exe|BMP图像文件(*.bmp)|*.bmp",
         {"可执行文件（*.exe) (*.exe)", "BMP图像文件(*.bmp) (*.bmp)"}},
        {"图片|*.png;*.jpg", {"图片 (*.png *.jpg)"}},
        {"一|*.a|二", {"一 (*.a)"}},
        {"", {}},
        {"只有标签", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(qt::ConvertDialogFilter(c.filter), c.entries);
    }
}

class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.LoadWindow(layout.window()));
        first = QString::fromStdString(folder.Write("工具.exe", {0x4D, 0x5A}));
        QDir(QString::fromStdString(folder.path().string())).mkdir("sub");
        second = QString::fromStdString(folder.Write("sub/库.dll", {0x4D, 0x5A}));
        QDir::setCurrent(QDir::tempPath());
    }
    void Configure(bool keepDirectory) {
        runtime.SetControlProperty(Control::通用对话框1, Property::DialogFilter,
                                   std::string(kFilter));
        runtime.SetControlProperty(Control::通用对话框1, Property::DialogInitialDirectory,
                                   folder.path().string() + "/");
        runtime.SetControlProperty(Control::通用对话框1, Property::DialogKeepDirectory,
                                   keepDirectory);
    }
    std::string FileName() {
        return runtime.GetText(Control::通用对话框1, Property::DialogFileName);
    }

    testing::TempDir folder;
    testing::RecordingLayout layout;
    QtRuntime runtime;
    QString first, second;
};

TEST_F(FileDialogTest, OffersTheFiveTypesByLabelFromTheInitialFolder) {
    Configure(true);
    QStringList labels;
    std::vector<QStringList> patterns;
    QFileDialog::Options options;
    QFileDialog::FileMode mode{};
    QString directory, selectedFilter, title;
    runtime.SetModalRunner([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        options = files.options();
        mode = files.fileMode();
        directory = files.directory().absolutePath();
        selectedFilter = files.selectedNameFilter();
        title = files.windowTitle();
        // What the dialog shows for each type, and the patterns its file list then filters by.
        auto* types = files.findChild<QComboBox*>("fileTypeCombo");
        auto* model = files.findChild<QFileSystemModel*>("qt_filesystem_model");
        if (!types || !model) return int{QDialog::Rejected};
        for (int i = 0; i < types->count(); ++i) labels << types->itemText(i);
        for (const QString& filter : files.nameFilters()) {
            files.selectNameFilter(filter);
            patterns.push_back(model->nameFilters());
        }
        return int{QDialog::Rejected};
    });
    EXPECT_FALSE(runtime.OpenFileDialog(Control::通用对话框1));
    EXPECT_EQ(labels,
              (QStringList{"可执行文件（*.exe)", "动态链接库（*.dll）", "图标资源库（*.icl）",
                           "图标文件（*.ico）", "BMP图像文件(*.bmp)"}));
    EXPECT_EQ(patterns,
              (std::vector<QStringList>{{"*.exe"}, {"*.dll"}, {"*.icl"}, {"*.ico"}, {"*.bmp"}}));
    EXPECT_TRUE(options.testFlag(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_EQ(directory, QString::fromStdString(folder.path().string()));
    EXPECT_EQ(selectedFilter, "可执行文件（*.exe)");
    EXPECT_FALSE(title.isEmpty());
    EXPECT_EQ(FileName(), "");
}

TEST_F(FileDialogTest, KeepsTheChosenFileAndMovesTheCurrentFolderOnlyWhenAsked) {
    QString offered;
    QString answer;
    runtime.SetModalRunner([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        offered = files.selectedFiles().value(0);
        if (answer.isEmpty()) return int{QDialog::Rejected};
        files.selectFile(answer);
        return int{QDialog::Accepted};
    });

    // Kept: the current folder stays.
    Configure(true);
    answer = first;
    ASSERT_TRUE(runtime.OpenFileDialog(Control::通用对话框1));
    EXPECT_EQ(FileName(), first.toStdString());
    EXPECT_EQ(QDir::currentPath(), QDir::tempPath());

    // The next opening offers that file again; cancelling changes nothing.
    answer.clear();
    EXPECT_FALSE(runtime.OpenFileDialog(Control::通用对话框1));
    EXPECT_EQ(offered, first);
    EXPECT_EQ(FileName(), first.toStdString());

    // Not kept: the current folder becomes the chosen file's.
    Configure(false);
    answer = second;
    ASSERT_TRUE(runtime.OpenFileDialog(Control::通用对话框1));
    EXPECT_EQ(FileName(), second.toStdString());
    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(folder.path().string()) + "/sub");
}

// A CF_DIB block: BITMAPINFOHEADER of 40 bytes, then the colour table and the pixel rows.
ByteBuffer Dib(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
               std::uint32_t coloursUsed, const ByteBuffer& tableAndPixels) {
    testing::ByteBuilder dib;
    dib.U32(40)
        .I32(width)
        .I32(height)
        .U16(1)
        .U16(bitCount)
        .U32(0)
        .U32(0)
        .I32(0)
        .I32(0)
        .U32(coloursUsed)
        .U32(0);
    dib.Bytes(tableAndPixels);
    return dib.Take();
}

TEST(Clipboard, TheRunTimePutsDibBlocksOnTheClipboardAsImages) {
    const ByteBuffer trueColour =
        Dib(2, 1, 24, 0, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0});  // red, blue; padding
    // Two colours (green, white); pixel row 0b01000000: green then white.
    const ByteBuffer indexed =
        Dib(2, 1, 1, 2, {0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x40, 0, 0, 0});
    ByteBuffer truncatedTable = Dib(2, 1, 8, 0, {0, 0, 0, 0});  // 256 colours announced
    ByteBuffer shortHeader = {8, 0, 0, 0, 1, 0, 0, 0};

    QtRuntime runtime;
    const struct {
        const char* name;
        const ByteBuffer& dib;
        bool put;
        QRgb left, right;
    } cases[] = {
        {"24 bits", trueColour, true, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"1 bit with a colour table", indexed, true, qRgb(0, 255, 0), qRgb(255, 255, 255)},
        {"colour table past the end", truncatedTable, false, 0, 0},
        {"header too small", shortHeader, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->clear();
        EXPECT_EQ(PutDibOnClipboard(c.dib), c.put);
        const QImage image = QGuiApplication::clipboard()->image();
        if (!c.put) {
            EXPECT_TRUE(image.isNull());
            continue;
        }
        ASSERT_EQ(image.size(), QSize(2, 1));
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, c.left & 0xFFFFFF);
        EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, c.right & 0xFFFFFF);
    }
}

}  // namespace
}  // namespace tavrin
