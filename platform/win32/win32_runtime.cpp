#include "platform/win32/win32_runtime.h"

#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <uxtheme.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/hooks.h"
#include "platform/wide_text.h"
#include "platform/win32/dialog_filter.h"
#include "platform/win32/drop_target.h"

namespace tavrin::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TavrinMainWindow";
constexpr int kFirstControlId = 100;
// Posted to the window for every drop, so that the drag source is not kept waiting while the
// handlers run.
constexpr UINT kDropMessage = WM_APP + 1;
// The longest path the open dialog hands back.
constexpr std::size_t kDialogPathUnits = 32768;

// The shown form of a text; bytes that are not UTF-8 show as replacement characters.
std::wstring ShownText(std::string_view text) {
    if (auto wide = WideFromUtf8(text)) return *wide;
    std::wstring shown;
    if (text.empty() || text.size() > 0x7FFFFFFF) return shown;
    const int bytes = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) return shown;
    shown.resize(static_cast<std::size_t>(units));
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, shown.data(), units);
    return shown;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// How many UTF-16 units of text make up at most its first `bytes` bytes in UTF-8; a character
// that would only partly fit is left out.
int UnitsInBytes(const std::wstring& text, std::int32_t bytes) {
    std::int64_t used = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t units = 1;
        int size;
        const wchar_t unit = text[at];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
            text[at + 1] <= 0xDFFF) {
            units = 2;
            size = 4;
        } else {
            size = unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
        if (used + size > bytes) break;
        used += size;
        at += units;
    }
    return static_cast<int>(at);
}

UINT MessageIcon(int iconKind) {
    switch (iconKind) {
        case kIconError:
            return MB_ICONERROR;
        case 32:
            return MB_ICONQUESTION;
        case 48:
            return MB_ICONWARNING;
        case 64:
            return MB_ICONINFORMATION;
        default:
            return 0;
    }
}

bool HasWindow(ControlKind kind) {
    return kind != ControlKind::OpenFileDialog && kind != ControlKind::DropTarget;
}

bool IsPushButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton;
}

// A layout the run time can build: a window with a size, and controls with distinct names of
// their own, each with a size when it has a window.
bool IsBuildable(const WindowLayout& layout) {
    if (layout.width <= 0 || layout.height <= 0) return false;
    std::set<Control> seen = {layout.id};
    for (const ControlLayout& entry : layout.controls) {
        if (!seen.insert(entry.id).second) return false;
        if (HasWindow(entry.kind) && (entry.width <= 0 || entry.height <= 0)) return false;
    }
    return true;
}

HFONT DefaultGuiFont() {
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// True when the font has a glyph of its own for every character of text.
bool HasGlyphs(HFONT font, const std::wstring& text) {
    HDC dc = ::GetDC(nullptr);
    if (!dc) return true;
    HGDIOBJ old = ::SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    const DWORD converted = ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                               glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return converted == GDI_ERROR ||
           std::none_of(glyphs.begin(), glyphs.end(), [](WORD glyph) { return glyph == 0xFFFF; });
}

// The system's default GUI font, or, where that face has no Chinese characters and the system
// does not link it to one that has (as Wine does not), a font of the same size that the font
// mapper picks for the Chinese character set. Null when the default font serves.
HFONT MakeChineseGuiFont(const WindowLayout& layout) {
    std::wstring texts = WideFromUtf8(layout.caption).value_or(L"");
    for (const ControlLayout& entry : layout.controls) {
        if (auto text = WideFromUtf8(entry.text)) texts += *text;
    }
    if (HasGlyphs(DefaultGuiFont(), texts)) return nullptr;
    LOGFONTW font{};
    if (!::GetObjectW(DefaultGuiFont(), sizeof font, &font)) return nullptr;
    font.lfCharSet = GB2312_CHARSET;
    font.lfFaceName[0] = L'\0';
    return ::CreateFontIndirectW(&font);
}

}  // namespace

Win32Runtime::Win32Runtime(HINSTANCE instance)
    : instance_(instance ? instance : ::GetModuleHandleW(nullptr)) {
    oleReady_ = SUCCEEDED(::OleInitialize(nullptr));
    if (auto directory = WideFromUtf8(ProgramDirectory()); directory && !directory->empty()) {
        ::SetCurrentDirectoryW(directory->c_str());
    }
    editBrush_ = ::CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
    SetClipboardDibSink(
        [this](std::span<const std::uint8_t> dib) { return PlaceDibOnClipboard(dib); });
}

Win32Runtime::~Win32Runtime() {
    SetClipboardDibSink(nullptr);
    if (window_) {
        ::DestroyWindow(window_);
        // The window's end asked the thread's message loop to end; no loop is left to ask.
        MSG quit;
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    if (dropTarget_) dropTarget_->Release();
    if (editBrush_) ::DeleteObject(editBrush_);
    if (chineseFont_) ::DeleteObject(chineseFont_);
    if (oleReady_) ::OleUninitialize();
}

HFONT Win32Runtime::PlainFont() const {
    return chineseFont_ ? chineseFont_ : DefaultGuiFont();
}

HWND Win32Runtime::ControlWindow(Control control) const {
    if (window_ && control == windowId_) return window_;
    auto found = widgets_.find(control);
    return found == widgets_.end() ? nullptr : found->second;
}

const ControlLayout* Win32Runtime::Entry(Control control) const {
    auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [control](const ControlLayout& entry) { return entry.id == control; });
    return found == controls_.end() ? nullptr : &*found;
}

const ControlLayout* Win32Runtime::EntryById(int id) const {
    const int index = id - kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= controls_.size()) return nullptr;
    return &controls_[static_cast<std::size_t>(index)];
}

bool Win32Runtime::LoadWindow(const WindowLayout& layout) {
    if (window_ || !IsBuildable(layout)) return false;
    auto caption = WideFromUtf8(layout.caption);
    if (!caption) return false;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExW(instance_, kWindowClass, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Win32Runtime::WindowProcedure;
        windowClass.hInstance = instance_;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        if (!::RegisterClassExW(&windowClass)) return false;
    }

    // Centred in the work area of the primary screen; the layout's own position goes unseen.
    RECT workArea{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const int left = workArea.left + (workArea.right - workArea.left - layout.width) / 2;
    const int top = workArea.top + (workArea.bottom - workArea.top - layout.height) / 2;

    if (!chineseFont_) chineseFont_ = MakeChineseGuiFont(layout);

    // A fixed single frame with the system menu and the close button, without minimise and
    // maximise buttons.
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    windowId_ = layout.id;
    controls_.assign(layout.controls.begin(), layout.controls.end());
    window_ = ::CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, caption->c_str(), kStyle, left, top,
                                layout.width, layout.height, nullptr, nullptr, instance_, this);
    if (!window_) {
        controls_.clear();
        return false;
    }

    for (std::size_t index = 0; index < controls_.size(); ++index) {
        const ControlLayout& entry = controls_[index];
        const wchar_t* windowClassName = nullptr;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD extendedStyle = 0;
        switch (entry.kind) {
            case ControlKind::PushButton:
                windowClassName = L"BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
            case ControlKind::DefaultPushButton:
                windowClassName = L"BUTTON";
                style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
                break;
            case ControlKind::CheckBox:
                windowClassName = L"BUTTON";
                style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
                break;
            case ControlKind::ReadOnlyEdit:
                windowClassName = L"EDIT";
                style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | ES_READONLY;
                extendedStyle = WS_EX_CLIENTEDGE;
                editContents_[entry.id] = std::string(entry.text);
                break;
            case ControlKind::OpenFileDialog:
                AddDialog(entry.id);
                continue;
            case ControlKind::DropTarget:
                continue;
        }
        HWND control = ::CreateWindowExW(
            extendedStyle, windowClassName, ShownText(entry.text).c_str(), style, entry.left,
            entry.top, entry.width, entry.height, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), instance_,
            nullptr);
        if (!control) {
            ::DestroyWindow(window_);
            return false;
        }
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(PlainFont()), FALSE);
        if (entry.kind == ControlKind::ReadOnlyEdit) ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        widgets_[entry.id] = control;
    }

    ApplySkinToControls();
    if (layout.onCreated) layout.onCreated(*this);
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    return true;
}

int Win32Runtime::Run() {
    if (window_ && ::IsWindowVisible(window_)) {
        MSG msg{};
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (HandleWindowKey(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        exitCode_ = static_cast<int>(msg.wParam);
    }
    RunExitCallbacks();
    return exitCode_;
}

bool Win32Runtime::HandleWindowKey(const MSG& msg) {
    if (!window_ || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
    if (msg.hwnd != window_ && !::IsChild(window_, msg.hwnd)) return false;
    // With Alt held the keys belong to the system menu.
    if (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29))) return false;
    switch (msg.wParam) {
        case VK_ESCAPE:
            ::SendMessageW(window_, WM_CLOSE, 0, 0);
            return true;
        case VK_RETURN:
            ClickDefaultButton();
            return true;
        case VK_TAB: {
            const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
            HWND current = ::GetFocus();
            if (current != window_ && !::IsChild(window_, current)) current = nullptr;
            if (current == window_) current = nullptr;
            if (HWND next = ::GetNextDlgTabItem(window_, current, backwards)) ::SetFocus(next);
            return true;
        }
        default:
            return false;
    }
}

void Win32Runtime::ReportFatal(const std::string& text) {
    ::MessageBoxW(nullptr, ShownText(text).c_str(), L"Tavrin", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Win32Runtime::ClickDefaultButton() {
    for (const ControlLayout& entry : controls_) {
        if (entry.kind != ControlKind::DefaultPushButton) continue;
        HWND button = ControlWindow(entry.id);
        // Like a click, without moving the focus to the button.
        if (button && ::IsWindowEnabled(button) && entry.event == Event::Clicked && entry.handler) {
            entry.handler(*this);
        }
        return;
    }
}

void Win32Runtime::DeliverDrop(const std::string& droppedFiles) {
    const ControlLayout* entry = Entry(dropTargetId_);
    if (dropTarget_ && entry && entry->event == Event::FileDropped && entry->textHandler) {
        entry->textHandler(*this, droppedFiles);
    }
}

LRESULT CALLBACK Win32Runtime::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Runtime*>(create->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<Win32Runtime*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || self->window_ != window) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32Runtime::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const ControlLayout* entry = EntryById(LOWORD(wParam));
            if (entry && HIWORD(wParam) == BN_CLICKED && entry->event == Event::Clicked &&
                entry->handler && reinterpret_cast<HWND>(lParam) == ControlWindow(entry->id)) {
                entry->handler(*this);
            }
            // The path field's own change notices are not used: every write of its content
            // raises the event itself, inside the write.
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return ControlColours(message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND:
            if (HBRUSH brush = skins_.WindowBrush()) {
                RECT area;
                ::GetClientRect(window_, &area);
                ::FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
                return 1;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const ControlLayout* entry = item ? EntryById(static_cast<int>(item->CtlID)) : nullptr;
            if (entry && item->CtlType == ODT_BUTTON && skins_.Current()) {
                skins_.DrawButton(*item, entry->kind == ControlKind::DefaultPushButton);
                return TRUE;
            }
            break;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(window_, focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS: {
            // The window passes the focus on to a control: the one that had it, else the first.
            HWND target = lastFocus_;
            if (!target || !::IsChild(window_, target) || !::IsWindowEnabled(target)) {
                target = ::GetNextDlgTabItem(window_, nullptr, FALSE);
            }
            if (target && target != window_) ::SetFocus(target);
            return 0;
        }
        case kDropMessage:
            if (!pendingDrops_.empty()) {
                const std::string droppedFiles = std::move(pendingDrops_.front());
                pendingDrops_.pop_front();
                DeliverDrop(droppedFiles);
            }
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            if (dropTarget_) ::RevokeDragDrop(window_);
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND window = std::exchange(window_, nullptr);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            widgets_.clear();
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT Win32Runtime::ControlColours(UINT message, HDC dc, HWND control) {
    const ControlLayout* entry = EntryById(::GetDlgCtrlID(control));
    const Look* look = skins_.Current();
    if (entry && entry->kind == ControlKind::ReadOnlyEdit) {
        // A read-only field asks for static colours; it shows black on white all the same.
        ::SetTextColor(dc, look ? look->editText : RGB(0, 0, 0));
        ::SetBkColor(dc, look ? look->editBack : RGB(0xFF, 0xFF, 0xFF));
        return reinterpret_cast<LRESULT>(look ? skins_.EditBrush() : editBrush_);
    }
    if (look && entry) {
        ::SetTextColor(dc, ::IsWindowEnabled(control) ? look->text : look->disabledText);
        ::SetBkColor(dc, look->window);
        return reinterpret_cast<LRESULT>(skins_.WindowBrush());
    }
    return ::DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
}

PropertyValue Win32Runtime::GetControlProperty(Control control, Property property) {
    HWND widget = ControlWindow(control);
    const ControlLayout* entry = Entry(control);
    switch (property) {
        case Property::ButtonDisabled:
            if (widget && entry && IsPushButton(entry->kind)) return !::IsWindowEnabled(widget);
            break;
        case Property::EditContent:
            if (auto found = editContents_.find(control); found != editContents_.end()) {
                return found->second;
            }
            break;
        case Property::EditSelectionLength:
            if (widget && entry && entry->kind == ControlKind::ReadOnlyEdit) {
                DWORD start = 0;
                DWORD end = 0;
                ::SendMessageW(widget, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                               reinterpret_cast<LPARAM>(&end));
                const std::wstring shown = WindowText(widget);
                start = std::min<DWORD>(start, static_cast<DWORD>(shown.size()));
                end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(shown.size()));
                return static_cast<std::int32_t>(
                    Utf8FromWide(std::wstring_view(shown).substr(start, end - start)).size());
            }
            break;
        case Property::CheckBoxChecked:
            if (widget && entry && entry->kind == ControlKind::CheckBox) {
                return ::SendMessageW(widget, BM_GETCHECK, 0, 0) == BST_CHECKED;
            }
            break;
        case Property::WindowCaption:
            if (window_ && control == windowId_) return Utf8FromWide(WindowText(window_));
            break;
        case Property::DialogFileName:
        case Property::DialogFilter:
        case Property::DialogInitialDirectory:
        case Property::DialogKeepDirectory:
            return GetDialogProperty(control, property);
    }
    return PropertyValue{};
}

void Win32Runtime::SetControlProperty(Control control, Property property,
                                      const PropertyValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    const auto* flag = std::get_if<bool>(&value);
    const auto* number = std::get_if<std::int32_t>(&value);
    HWND widget = ControlWindow(control);
    const ControlLayout* entry = Entry(control);
    switch (property) {
        case Property::ButtonDisabled:
            if (widget && entry && IsPushButton(entry->kind) && flag) {
                // A button that loses its focus with its enabled state hands it to the window,
                // which passes it on, so that the window's keys keep working.
                const bool hadFocus = ::GetFocus() == widget;
                ::EnableWindow(widget, *flag ? FALSE : TRUE);
                if (*flag && hadFocus) ::SetFocus(window_);
            }
            return;
        case Property::EditContent:
            if (text && widget && entry && entry->kind == ControlKind::ReadOnlyEdit) {
                WriteEditContent(control, *text);
            }
            return;
        case Property::EditSelectionLength:
            if (widget && entry && entry->kind == ControlKind::ReadOnlyEdit && number) {
                const int units = UnitsInBytes(WindowText(widget), *number);
                // The caret goes to the selection's end and is scrolled into view.
                ::SendMessageW(widget, EM_SETSEL, 0, units);
                ::SendMessageW(widget, EM_SCROLLCARET, 0, 0);
            }
            return;
        case Property::CheckBoxChecked:
            if (widget && entry && entry->kind == ControlKind::CheckBox && flag) {
                ::SendMessageW(widget, BM_SETCHECK, *flag ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            return;
        case Property::WindowCaption:
            if (window_ && control == windowId_ && text) {
                ::SetWindowTextW(window_, ShownText(*text).c_str());
            }
            return;
        case Property::DialogFileName:
        case Property::DialogFilter:
        case Property::DialogInitialDirectory:
        case Property::DialogKeepDirectory:
            SetDialogProperty(control, property, value);
            return;
    }
}

void Win32Runtime::WriteEditContent(Control control, const std::string& text) {
    HWND edit = ControlWindow(control);
    editContents_[control] = text;
    ::SetWindowTextW(edit, ShownText(text).c_str());
    ::SendMessageW(edit, EM_SETSEL, 0, 0);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    // Raised here, inside the write, and for an unchanged text too.
    const ControlLayout* entry = Entry(control);
    if (entry && entry->event == Event::ContentChanged && entry->handler) entry->handler(*this);
}

void Win32Runtime::ShowMessage(const std::string& text, int iconKind, std::string_view title) {
    if (title.empty()) title = kDefaultMessageTitle;
    // Modal to the whole program, without an owner window.
    ::MessageBoxW(nullptr, ShownText(text).c_str(), ShownText(title).c_str(),
                  MB_OK | MB_TASKMODAL | MessageIcon(iconKind));
}

bool Win32Runtime::OpenFileDialog(Control control) {
    DialogSettings* found = Dialog(control);
    if (!found) return false;
    DialogSettings& settings = *found;

    const std::wstring filter = ConvertDialogFilter(settings.filter);
    const std::wstring initialDirectory = ShownText(settings.initialDirectory);
    // The file chosen last is offered again, in its own folder.
    std::wstring file(kDialogPathUnits, L'\0');
    if (auto previous = WideFromUtf8(settings.fileName);
        previous && previous->size() < file.size()) {
        std::copy(previous->begin(), previous->end(), file.begin());
    }

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (settings.keepDirectory) dialog.Flags |= OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) return false;

    file.resize(std::wcslen(file.c_str()));
    if (file.empty()) return false;
    settings.fileName = Utf8FromWide(file);
    return true;
}

std::string Win32Runtime::ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kDialogPathUnits) return {};
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    path.resize(separator);
    return Utf8FromWide(path);
}

NativeHandle Win32Runtime::WindowHandle(Control window) {
    if (!window_ || window != windowId_) return 0;
    return reinterpret_cast<NativeHandle>(window_);
}

bool Win32Runtime::SetSkinStyle(std::int32_t style) {
    const bool made = skins_.Select(style);
    ApplySkinToControls();
    return made;
}

void Win32Runtime::ApplySkinToControls() {
    if (!window_) return;
    const bool skinned = skins_.Current() != nullptr;
    HFONT font = skinned ? skins_.Font() : PlainFont();
    for (const auto& [id, widget] : widgets_) {
        const ControlLayout* entry = Entry(id);
        if (!entry) continue;
        if (IsPushButton(entry->kind)) {
            // Skinned buttons are drawn by the window; plain ones by the system.
            const DWORD type = skinned                                         ? BS_OWNERDRAW
                               : entry->kind == ControlKind::DefaultPushButton ? BS_DEFPUSHBUTTON
                                                                               : BS_PUSHBUTTON;
            ::SendMessageW(widget, BM_SETSTYLE, type, FALSE);
        } else if (entry->kind == ControlKind::CheckBox) {
            // The system's themed check box ignores the caption colour given to it.
            if (skinned) {
                ::SetWindowTheme(widget, L"", L"");
            } else {
                ::SetWindowTheme(widget, nullptr, nullptr);
            }
        }
        ::SendMessageW(widget, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ::RedrawWindow(window_, nullptr, nullptr,
                   RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool Win32Runtime::RegisterDropTarget(Control dropTarget, NativeHandle window) {
    if (dropTarget_ || !window_ || window == 0 || window != WindowHandle(windowId_)) return false;
    const ControlLayout* entry = Entry(dropTarget);
    if (!entry || entry->kind != ControlKind::DropTarget || !oleReady_) return false;
    auto* target = new DropTarget([this](const std::string& droppedFiles) {
        pendingDrops_.push_back(droppedFiles);
        ::PostMessageW(window_, kDropMessage, 0, 0);
    });
    if (FAILED(::RegisterDragDrop(window_, target))) {
        target->Release();
        return false;
    }
    dropTarget_ = target;
    dropTargetId_ = dropTarget;
    return true;
}

bool Win32Runtime::PlaceDibOnClipboard(std::span<const std::uint8_t> dib) {
    constexpr std::size_t kSmallestHeader = 12;  // BITMAPCOREHEADER
    if (!window_ || dib.size() < kSmallestHeader) return false;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (!block) return false;
    if (void* bytes = ::GlobalLock(block)) {
        std::copy(dib.begin(), dib.end(), static_cast<std::uint8_t*>(bytes));
        ::GlobalUnlock(block);
    } else {
        ::GlobalFree(block);
        return false;
    }
    if (!::OpenClipboard(window_)) {
        ::GlobalFree(block);
        return false;
    }
    bool placed = ::EmptyClipboard() && ::SetClipboardData(CF_DIB, block) != nullptr;
    ::CloseClipboard();
    if (!placed) ::GlobalFree(block);  // the clipboard owns the block only once it is placed
    return placed;
}

}  // namespace tavrin::win32
