#pragma once
// The window run time as the shell's handlers see it. It builds the main window from a layout
// table, delivers the controls' events to the handlers named there, one at a time on the GUI
// thread, and offers properties, message boxes, the open-file dialog and file services.
// Implementations: the Qt run time (platform/qt) and the headless fake of the tests.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/bytes.h"

namespace tavrin {

class Runtime;

// The window and its controls, by the names of the layout.
enum class Control {
    窗口,
    按钮_打开文件1,
    选择框_兼容模式,
    通用对话框1,
    按钮_打开文件,
    拖放对象1,
    按钮_删除图标,
    按钮_提取图标,
    编辑框1,
};

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    CheckBox,
    OpenFileDialog,  // a component without a window of its own
    DropTarget,      // a component without a window of its own
    ReadOnlyEdit,
};

enum class Property {
    ButtonDisabled,          // bool
    EditContent,             // text
    EditSelectionLength,     // int
    CheckBoxChecked,         // bool
    WindowCaption,           // text
    DialogFileName,          // text
    DialogFilter,            // text
    DialogInitialDirectory,  // text
    DialogKeepDirectory,     // bool
};

using PropertyValue = std::variant<bool, std::int32_t, std::string>;

using Handler = void (*)(Runtime& runtime);
using TextHandler = void (*)(Runtime& runtime, const std::string& text);

enum class Event { None, Clicked, ContentChanged, FileDropped };

struct ControlLayout {
    Control id;
    std::string_view name;
    ControlKind kind;
    std::string_view text;
    int left, top, width, height;
    Event event;
    Handler handler;          // Clicked, ContentChanged
    TextHandler textHandler;  // FileDropped
};

struct WindowLayout {
    Control id;
    std::string_view name;
    std::string_view caption;
    int left, top, width, height;  // outer size; the window is centred, so left and top go unseen
    Handler onCreated;
    std::span<const ControlLayout> controls;
};

using NativeHandle = std::uintptr_t;

inline constexpr int kIconNone = 0;
inline constexpr int kIconError = 16;
inline constexpr std::string_view kDefaultMessageTitle = "信息：";

class Runtime {
public:
    virtual ~Runtime() = default;

    // Start-up and exit. LoadWindow builds the window and raises its created event before it
    // returns; false when the layout cannot be loaded. Run holds the message loop until the last
    // window closes, then calls the exit callbacks in the order of registration.
    virtual void RegisterExitCallback(Handler callback) = 0;
    virtual bool LoadWindow(const WindowLayout& layout) = 0;
    virtual int Run() = 0;
    virtual void ReportFatal(const std::string& text) = 0;

    virtual PropertyValue GetControlProperty(Control control, Property property) = 0;
    // Writing EditContent raises the content-changed event inside the write, also when the text
    // is unchanged.
    virtual void SetControlProperty(Control control, Property property,
                                    const PropertyValue& value) = 0;

    virtual void ShowMessage(const std::string& text, int iconKind,
                             std::string_view title = kDefaultMessageTitle) = 0;
    virtual bool OpenFileDialog(Control dialog) = 0;
    virtual std::string ProgramDirectory() = 0;
    virtual ByteBuffer ReadWholeFile(const std::string& path) = 0;
    virtual void WriteWholeFile(const std::string& path, const ByteBuffer& bytes) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    virtual void SeedRandom() = 0;
    virtual std::int32_t RandomInRange(std::int32_t low, std::int32_t high) = 0;
    virtual NativeHandle WindowHandle(Control window) = 0;

    // The skin component: 1, 2 or 3 switches that look on for every window of the program, any
    // other value restores the plain look.
    virtual bool SetSkinStyle(std::int32_t style) = 0;
    // The drop-target component: registers once; a second call gives false and changes nothing.
    virtual bool RegisterDropTarget(Control dropTarget, NativeHandle window) = 0;

    // Typed shorthands over GetControlProperty.
    std::string GetText(Control control, Property property);
    bool GetBool(Control control, Property property);
    std::int32_t GetInt(Control control, Property property);
};

}  // namespace tavrin
