#pragma once
// The window run time on the Win32 API. Made on the GUI thread, it initialises OLE there, sets the
// process's current directory to the program's folder and gives the engine the clipboard. Texts
// stay UTF-8 inside the program and are converted at every wide Windows call.
#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop_runtime.h"
#include "platform/runtime.h"
#include "platform/win32/skins.h"

namespace tavrin::win32 {

class DropTarget;

class Win32Runtime : public DesktopRuntime {
  public:
    explicit Win32Runtime(HINSTANCE instance = nullptr);
    ~Win32Runtime() override;
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;

    // The built window and its controls; null before LoadWindow, for the components and for
    // controls the layout does not have.
    HWND Window() const { return window_; }
    HWND ControlWindow(Control control) const;
    std::int32_t ActiveSkinStyle() const { return skins_.Active(); }
    // Delivers a dropped-files text as the drop target does, once it is registered.
    void DeliverDrop(const std::string& droppedFiles);
    // Handles the keys that belong to the whole window (Esc, Enter, Tab); true when msg was one
    // of them and needs no further dispatch.
    bool HandleWindowKey(const MSG& msg);

    bool LoadWindow(const WindowLayout& layout) override;
    int Run() override;
    void ReportFatal(const std::string& text) override;

    PropertyValue GetControlProperty(Control control, Property property) override;
    void SetControlProperty(Control control, Property property,
                            const PropertyValue& value) override;

    void ShowMessage(const std::string& text, int iconKind,
                     std::string_view title = kDefaultMessageTitle) override;
    bool OpenFileDialog(Control dialog) override;
    std::string ProgramDirectory() override;
    NativeHandle WindowHandle(Control window) override;

    bool SetSkinStyle(std::int32_t style) override;
    bool RegisterDropTarget(Control dropTarget, NativeHandle window) override;

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    const ControlLayout* Entry(Control control) const;
    const ControlLayout* EntryById(int id) const;
    void ClickDefaultButton();
    void WriteEditContent(Control control, const std::string& text);
    void ApplySkinToControls();
    LRESULT ControlColours(UINT message, HDC dc, HWND control);
    HFONT PlainFont() const;
    bool PlaceDibOnClipboard(std::span<const std::uint8_t> dib);

    HINSTANCE instance_;
    bool oleReady_ = false;
    HWND window_ = nullptr;
    HWND lastFocus_ = nullptr;
    Control windowId_ = Control::窗口;
    std::vector<ControlLayout> controls_;
    std::map<Control, HWND> widgets_;
    // The edit boxes' contents as written: the shown text cannot hold bytes that are not UTF-8.
    std::map<Control, std::string> editContents_;
    std::deque<std::string> pendingDrops_;
    Skins skins_;
    HBRUSH editBrush_ = nullptr;   // the path field's white in the plain look
    HFONT chineseFont_ = nullptr;  // stands in for the default GUI font where it lacks the texts
    DropTarget* dropTarget_ = nullptr;
    Control dropTargetId_ = Control::拖放对象1;
    int exitCode_ = 0;
};

}  // namespace tavrin::win32
