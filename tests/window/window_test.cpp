// The real window on the offscreen platform: what the layout builds, keys, drops, the edit box's
// content and selection, start-up and exit.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "app/handlers.h"
#include "app/layout.h"
#include "app/program.h"
#include "platform/qt/qt_runtime.h"
#include "recording_layout.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using qt::QtRuntime;
using testing::Record;
using testing::RecordingLayout;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class WindowTest : public ::testing::Test {
  protected:
    void Load(const WindowLayout& layout) {
        ASSERT_TRUE(runtime.LoadWindow(layout));
        window = runtime.Window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    QWidget* Widget(Control control) { return runtime.ControlWidget(control); }

    QtRuntime runtime;
    QWidget* window = nullptr;
};

TEST_F(WindowTest, BuildsEveryControlOfTheLayoutInPlace) {
    Load(MainWindowLayout());
    EXPECT_EQ(window->windowTitle(), "Tavrin");
    // The outer size is fixed; the client area is what the frame leaves.
    const QMargins frame = window->windowHandle()->frameMargins();
    EXPECT_EQ(window->size(), QSize(426, 153).shrunkBy(frame));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2);

    const QFont systemFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    int widgets = 0;
    for (const ControlLayout& entry : MainWindowLayout().controls) {
        SCOPED_TRACE(std::string(entry.name));
        QWidget* widget = Widget(entry.id);
        if (entry.kind == ControlKind::OpenFileDialog || entry.kind == ControlKind::DropTarget) {
            EXPECT_EQ(widget, nullptr);
            continue;
        }
        ++widgets;
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), Q(entry.name));
        EXPECT_EQ(widget->geometry(), QRect(entry.left, entry.top, entry.width, entry.height));
        // The frame may take the last pixels of the check box, never any of its caption.
        EXPECT_TRUE(window->rect().contains(
            QRect(widget->pos(), widget->size().boundedTo(widget->sizeHint()))));
        EXPECT_TRUE(widget->isVisible());
        EXPECT_EQ(widget->font(), systemFont);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), Q(entry.text));
            EXPECT_TRUE(button->isEnabled());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->text(), Q(entry.text));
            EXPECT_TRUE(edit->isReadOnly());
            EXPECT_EQ(edit->cursorPosition(), 0);
        }
    }
    EXPECT_EQ(widgets, 6);
    EXPECT_TRUE(static_cast<QPushButton*>(Widget(Control::按钮_提取图标))->isDefault());
    EXPECT_FALSE(runtime.GetBool(Control::选择框_兼容模式, Property::CheckBoxChecked));
    EXPECT_FALSE(runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled));
}

TEST_F(WindowTest, EveryWriteOfTheContentRaisesTheEventInsideTheWrite) {
    RecordingLayout layout;
    Load(layout.window());
    EXPECT_TRUE(Record().contentSeen.empty()) << "the layout's text raised the event";
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent),
              std::string(FindControlLayout(Control::编辑框1)->text));

    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, std::string("/a/b.exe"));
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, std::string("/a/b.exe"));
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, std::string());
    EXPECT_EQ(Record().contentSeen, (std::vector<std::string>{"/a/b.exe", "/a/b.exe", ""}));
    EXPECT_EQ(static_cast<QLineEdit*>(Widget(Control::编辑框1))->text(), "");

    // Bytes that are not UTF-8 come back exactly as written.
    const std::string raw = "/tmp/\xB2\xE2\xCA\xD4.exe";
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, raw);
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent), raw);
}

TEST_F(WindowTest, SelectionLengthCountsBytesFromTheStart) {
    RecordingLayout layout;
    Load(layout.window());
    auto* edit = static_cast<QLineEdit*>(Widget(Control::编辑框1));
    // Bytes: "a" 1, "中" 3, "b" 1, an emoji 4 (two UTF-16 units), "c" 1.
    const std::string text =
        "a中b\xF0\x9F\x98\x80"
        "c";
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, text);
    const struct {
        std::int32_t bytes;
        const char* selected;
        std::int32_t selectedBytes;
    } cases[] = {
        {0, "", 0},
        {1, "a", 1},
        {3, "a", 1},
        {4, "a中", 4},
        {8, "a中b", 5},
        {9, "a中b\xF0\x9F\x98\x80", 9},
        {10, text.c_str(), 10},
        {500, text.c_str(), 10},
        {-3, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        runtime.SetControlProperty(Control::编辑框1, Property::EditSelectionLength, c.bytes);
        EXPECT_EQ(edit->selectedText(), QString::fromUtf8(c.selected));
        EXPECT_EQ(runtime.GetInt(Control::编辑框1, Property::EditSelectionLength), c.selectedBytes);
        // The caret sits at the selection's end, where the box scrolls to.
        EXPECT_EQ(edit->cursorPosition(), QString::fromUtf8(c.selected).size());
    }
}

TEST_F(WindowTest, EnterClicksTheExtractButtonOnlyWhileEnabledWhateverHasTheFocus) {
    RecordingLayout layout;
    Load(layout.window());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const Control focusable[] = {Control::按钮_打开文件1, Control::选择框_兼容模式,
                                 Control::按钮_打开文件,  Control::按钮_删除图标,
                                 Control::按钮_提取图标,  Control::编辑框1};
    for (bool disabled : {false, true}) {
        runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, disabled);
        for (Control control : focusable) {
            QWidget* widget = Widget(control);
            if (!widget->isEnabled()) continue;
            SCOPED_TRACE(widget->objectName().toStdString() + (disabled ? " disabled" : ""));
            widget->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), widget);
            Record().clicks.clear();
            QTest::keyClick(window->windowHandle(), Qt::Key_Return);
            QTest::keyClick(window->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
            EXPECT_EQ(Record().clicks, disabled ? std::vector<Control>{}
                                                : std::vector<Control>(2, Control::按钮_提取图标));
            EXPECT_EQ(QApplication::focusWidget(), widget);
            EXPECT_FALSE(static_cast<QCheckBox*>(Widget(Control::选择框_兼容模式))->isChecked());
        }
    }
}

TEST_F(WindowTest, ButtonsRaiseTheirOwnHandlerOnlyWhileEnabled) {
    RecordingLayout layout;
    Load(layout.window());
    for (Control button : {Control::按钮_打开文件1, Control::按钮_打开文件, Control::按钮_删除图标,
                           Control::按钮_提取图标}) {
        Record().clicks.clear();
        QTest::mouseClick(Widget(button), Qt::LeftButton);
        EXPECT_EQ(Record().clicks, std::vector<Control>{button});
    }
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    EXPECT_TRUE(runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled));
    Record().clicks.clear();
    QTest::mouseClick(Widget(Control::按钮_提取图标), Qt::LeftButton);
    EXPECT_TRUE(Record().clicks.empty());
}

TEST_F(WindowTest, EscapeClosesTheWindowWhateverHasTheFocus) {
    RecordingLayout layout;
    Load(layout.window());
    Widget(Control::编辑框1)->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(Record().clicks.empty());
}

// Sends a drag over the window and drops it there, as the window system does: enter, move and
// drop, or leave once the window refused the drag.
struct DropOutcome {
    bool entered = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

DropOutcome DragAndDrop(QWidget* window, QPoint at, const QMimeData& data,
                        Qt::KeyboardModifiers modifiers,
                        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction |
                                                  Qt::LinkAction) {
    QWindow* target = window->windowHandle();
    DropOutcome outcome;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
    if (enter.isAccepted()) QCoreApplication::sendEvent(target, &move);
    outcome.entered = enter.isAccepted() && move.isAccepted();
    if (!outcome.entered) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
        return outcome;
    }
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &drop);
    outcome.dropped = drop.isAccepted();
    outcome.action = drop.dropAction();
    return outcome;
}

class DropTest : public WindowTest {
  protected:
    void SetUp() override {
        Load(layout.window());
        ASSERT_TRUE(
            runtime.RegisterDropTarget(Control::拖放对象1, runtime.WindowHandle(Control::窗口)));
    }
    RecordingLayout layout;
};

TEST_F(DropTest, TakesLocalFileListsOverEveryPartOfTheWindow) {
    testing::TempDir temp;
    const QString folder = QString::fromStdString(temp.path().string());
    const QUrl file = QUrl::fromLocalFile("/srv/图标/tool.exe");
    const QUrl other = QUrl::fromLocalFile("/srv/lib.dll");
    const QUrl web("https://example.com/tool.exe");

    struct Case {
        const char* name;
        QList<QUrl> urls;
        QString text;
        QString html;
        Qt::KeyboardModifiers modifiers;
        Qt::DropActions actions;
        std::optional<std::string> delivered;
        Qt::DropAction action;
    };
    const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const std::string folderPath = temp.path().string();
    const Case cases[] = {
        {"one file", {file}, {}, {}, Qt::NoModifier, any, "/srv/图标/tool.exe", Qt::CopyAction},
        {"two files",
         {file, other},
         {},
         {},
         Qt::NoModifier,
         any,
         "/srv/图标/tool.exe\r\n/srv/lib.dll\r\n",
         Qt::CopyAction},
        {"a folder",
         {QUrl::fromLocalFile(folder + "/")},
         {},
         {},
         Qt::NoModifier,
         any,
         folderPath,
         Qt::CopyAction},
        {"a file with Ctrl",
         {file},
         {},
         {},
         Qt::ControlModifier,
         any,
         "/srv/图标/tool.exe",
         Qt::CopyAction},
        {"a file the source lets only move",
         {file},
         {},
         {},
         Qt::NoModifier,
         Qt::MoveAction,
         "/srv/图标/tool.exe",
         Qt::MoveAction},
        {"a file the source lets only link",
         {file},
         {},
         {},
         Qt::NoModifier,
         Qt::LinkAction,
         "/srv/图标/tool.exe",
         Qt::LinkAction},
        {"a file with Ctrl and Shift",
         {file},
         {},
         {},
         Qt::ControlModifier | Qt::ShiftModifier,
         any,
         std::nullopt,
         Qt::IgnoreAction},
        {"plain text",
         {},
         "/srv/图标/tool.exe",
         {},
         Qt::NoModifier,
         any,
         std::nullopt,
         Qt::IgnoreAction},
        {"a web link",
         {web},
         web.toString(),
         {},
         Qt::NoModifier,
         any,
         std::nullopt,
         Qt::IgnoreAction},
        {"a local file and a web link",
         {file, web},
         {},
         {},
         Qt::NoModifier,
         any,
         std::nullopt,
         Qt::IgnoreAction},
        {"HTML",
         {},
         {},
         "<a href=\"file:///srv/tool.exe\">tool</a>",
         Qt::NoModifier,
         any,
         std::nullopt,
         Qt::IgnoreAction},
    };
    const struct {
        const char* name;
        QPoint at;
    } places[] = {{"over the edit box", {100, 34}},
                  {"over a button", {50, 84}},
                  {"over the bare window", {200, 130}}};

    for (const Case& c : cases) {
        for (const auto& place : places) {
            SCOPED_TRACE(std::string(c.name) + " " + place.name);
            QMimeData data;
            if (!c.urls.isEmpty()) data.setUrls(c.urls);
            if (!c.text.isEmpty()) data.setText(c.text);
            if (!c.html.isEmpty()) data.setHtml(c.html);
            Record().drops.clear();
            DropOutcome outcome = DragAndDrop(window, place.at, data, c.modifiers, c.actions);
            EXPECT_EQ(outcome.entered, c.delivered.has_value());
            EXPECT_EQ(outcome.dropped, c.delivered.has_value());
            if (c.delivered) {
                EXPECT_EQ(outcome.action, c.action);
                EXPECT_EQ(Record().drops, std::vector<std::string>{*c.delivered});
            } else {
                EXPECT_TRUE(Record().drops.empty());
            }
        }
    }
    // The edit box never took anything itself.
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent),
              std::string(FindControlLayout(Control::编辑框1)->text));
}

TEST_F(WindowTest, DropsAreRefusedUntilTheDropTargetIsRegisteredOnce) {
    RecordingLayout layout;
    Load(layout.window());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/srv/tool.exe")});
    EXPECT_FALSE(DragAndDrop(window, {100, 34}, data, Qt::NoModifier).entered);

    const NativeHandle handle = runtime.WindowHandle(Control::窗口);
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(runtime.RegisterDropTarget(Control::拖放对象1, handle + 1));
    EXPECT_TRUE(runtime.RegisterDropTarget(Control::拖放对象1, handle));
    EXPECT_FALSE(runtime.RegisterDropTarget(Control::拖放对象1, handle));
    EXPECT_TRUE(DragAndDrop(window, {100, 34}, data, Qt::NoModifier).dropped);
    EXPECT_EQ(Record().drops, std::vector<std::string>{"/srv/tool.exe"});
}

std::vector<int> exitOrder;
template <int N>
void RecordExit(Runtime&) {
    exitOrder.push_back(N);
}

TEST(QtProgram, RunsUntilEscapeThenEachExitCallbackOnce) {
    QtRuntime runtime;
    runtime.RegisterExitCallback(&RecordExit<1>);
    runtime.RegisterExitCallback(&RecordExit<1>);
    exitOrder.clear();
    bool sawWindow = false;
    QTimer::singleShot(0, [&] {
        QWidget* window = runtime.Window();
        sawWindow = window && window->isVisible();
        if (window) QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);

    EXPECT_EQ(RunProgram(runtime), 0);
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(exitOrder, std::vector<int>{1});
    // The created event picked a skin and registered the drop target.
    EXPECT_GE(runtime.ActiveSkinStyle(), 1);
    EXPECT_LE(runtime.ActiveSkinStyle(), 3);
    EXPECT_FALSE(
        runtime.RegisterDropTarget(Control::拖放对象1, runtime.WindowHandle(Control::窗口)));
}

TEST(QtProgram, ExitCallbacksRunInTheOrderOfRegistration) {
    QtRuntime runtime;
    runtime.RegisterExitCallback(&RecordExit<2>);
    runtime.RegisterExitCallback(&RecordExit<1>);
    runtime.RegisterExitCallback(&RecordExit<2>);
    exitOrder.clear();
    // Without a window there is no loop to wait for.
    EXPECT_EQ(runtime.Run(), 0);
    EXPECT_EQ(exitOrder, (std::vector<int>{2, 1}));
}

TEST(QtProgram, AWindowThatCannotBeBuiltGivesTheErrorBoxAndMinusOne) {
    QtRuntime runtime;
    ASSERT_TRUE(runtime.LoadWindow(MainWindowLayout()));
    std::vector<QString> boxes;
    runtime.SetModalRunner([&](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box && box->icon() == QMessageBox::Critical) boxes.push_back(box->text());
        return int{QMessageBox::Ok};
    });
    runtime.RegisterExitCallback(&RecordExit<1>);
    exitOrder.clear();
    // A second main window cannot be built.
    EXPECT_EQ(RunProgram(runtime), -1);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(exitOrder.empty());

    QtRuntime other;
    WindowLayout broken = MainWindowLayout();
    std::vector<ControlLayout> controls(broken.controls.begin(), broken.controls.end());
    controls.push_back(controls.front());
    broken.controls = controls;
    EXPECT_FALSE(other.LoadWindow(broken));
}

TEST(QtProgram, StartsInTheProgramsFolderAndDrawsEveryValueOfARange) {
    QDir::setCurrent(QDir::tempPath());
    QtRuntime runtime;
    const std::string folder = runtime.ProgramDirectory();
    EXPECT_EQ(QString::fromStdString(folder), QCoreApplication::applicationDirPath());
    EXPECT_FALSE(folder.ends_with('/'));
    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(folder));

    runtime.SeedRandom();
    const struct { std::int32_t low, high; } ranges[] = {{1, 3}, {-2, 2}, {7, 7}};
    for (const auto& range : ranges) {
        std::vector<int> seen(static_cast<std::size_t>(range.high - range.low + 1));
        for (int i = 0; i < 500; ++i) {
            std::int32_t value = runtime.RandomInRange(range.low, range.high);
            ASSERT_GE(value, range.low);
            ASSERT_LE(value, range.high);
            ++seen[static_cast<std::size_t>(value - range.low)];
        }
        for (int count : seen) EXPECT_GT(count, 0);
    }
}

}  // namespace
}  // namespace tavrin
