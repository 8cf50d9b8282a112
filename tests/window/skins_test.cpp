// The three looks of the skin: each reachable, distinct, switchable at run time, applied to the
// open window and to boxes opened later; any other value restores the plain look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <set>

#include "app/layout.h"
#include "platform/qt/qt_runtime.h"
#include "recording_layout.h"

namespace tavrin {
namespace {

struct Look {
    QString style;
    QString styleSheet;
    QPalette palette;
    static Look Current() {
        return {QApplication::style()->name(), qApp->styleSheet(), QApplication::palette()};
    }
};

TEST(Skins, EachStyleHasItsOwnLookForOpenAndLaterWindowsAndOtherValuesRestoreThePlainOne) {
    const Look plain = Look::Current();
    {
        qt::QtRuntime runtime;
        testing::RecordingLayout layout;
        ASSERT_TRUE(runtime.LoadWindow(layout.window()));
        QWidget* window = runtime.Window();

        std::set<QString> sheets;
        std::set<QRgb> windowColours;
        std::set<QRgb> buttonColours;
        // 1 → 2 → 3 → 1 switches from one look straight to the next.
        for (std::int32_t style : {1, 2, 3, 1}) {
            SCOPED_TRACE(style);
            ASSERT_TRUE(runtime.SetSkinStyle(style));
            EXPECT_EQ(runtime.ActiveSkinStyle(), style);
            const Look look = Look::Current();
            EXPECT_FALSE(look.styleSheet.isEmpty());
            EXPECT_NE(look.palette.color(QPalette::Window), plain.palette.color(QPalette::Window));
            sheets.insert(look.styleSheet);
            windowColours.insert(look.palette.color(QPalette::Window).rgb());
            buttonColours.insert(look.palette.color(QPalette::Button).rgb());

            // The open window and a message box made afterwards both wear it.
            EXPECT_EQ(window->palette().color(QPalette::Window),
                      look.palette.color(QPalette::Window));
            EXPECT_EQ(runtime.ControlWidget(Control::编辑框1)->palette().color(QPalette::Base),
                      look.palette.color(QPalette::Base));
            QMessageBox box(QMessageBox::NoIcon, "t", "x", QMessageBox::Ok);
            EXPECT_EQ(box.palette().color(QPalette::Window), look.palette.color(QPalette::Window));
        }
        EXPECT_EQ(sheets.size(), 3u);
        EXPECT_EQ(windowColours.size(), 3u);
        EXPECT_EQ(buttonColours.size(), 3u);

        for (std::int32_t other : {0, 4, -1}) {
            SCOPED_TRACE(other);
            ASSERT_TRUE(runtime.SetSkinStyle(2));
            EXPECT_TRUE(runtime.SetSkinStyle(other));
            EXPECT_EQ(runtime.ActiveSkinStyle(), 0);
            const Look look = Look::Current();
            EXPECT_EQ(look.style, plain.style);
            EXPECT_EQ(look.styleSheet, plain.styleSheet);
            EXPECT_EQ(look.palette, plain.palette);
            EXPECT_EQ(window->palette().color(QPalette::Window),
                      plain.palette.color(QPalette::Window));
        }
        ASSERT_TRUE(runtime.SetSkinStyle(3));
    }
    // The run time gives the plain look back when it ends.
    EXPECT_EQ(Look::Current().styleSheet, plain.styleSheet);
    EXPECT_EQ(Look::Current().palette, plain.palette);
}

}  // namespace
}  // namespace tavrin
