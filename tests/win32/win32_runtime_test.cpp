// The Win32 run time on real windows: the window built from the layout, the properties, the keys
// of the message loop, the drop target, the skins, and the shell's handlers end to end.
#include <gtest/gtest.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/handlers.h"
#include "app/layout.h"
#include "platform/files.h"
#include "platform/hooks.h"
#include "platform/shell_links.h"
#include "platform/wide_text.h"
#include "platform/win32/dialog_filter.h"
#include "platform/win32/drop_target.h"
#include "platform/win32/win32_runtime.h"
#include "support/bmp_builder.h"
#include "support/icon_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin::win32 {
namespace {

using testing::TempDir;

// ---- A small layout with handlers that count, so that no handler opens a modal box.

struct Counts {
    int clicks = 0;
    int changes = 0;
    int exits = 0;
    std::vector<std::string> drops;
};
Counts counts;

void CountClick(Runtime&) {
    ++counts.clicks;
}
void CountChange(Runtime&) {
    ++counts.changes;
}
void CountExit(Runtime&) {
    ++counts.exits;
}
void RecordDrop(Runtime&, const std::string& text) {
    counts.drops.push_back(text);
}

const std::array<ControlLayout, 5> kTestControls = {{
    {Control::按钮_打开文件1, "按钮_打开文件1", ControlKind::PushButton, "软件说明", 328, 72, 80,
     24, Event::None, nullptr, nullptr},
    {Control::选择框_兼容模式, "选择框_兼容模式", ControlKind::CheckBox, "兼容模式", 346, 22, 78,
     24, Event::None, nullptr, nullptr},
    {Control::拖放对象1, "拖放对象1", ControlKind::DropTarget, "", 112, -8, 26, 26,
     Event::FileDropped, nullptr, &RecordDrop},
    {Control::按钮_提取图标, "按钮_提取图标", ControlKind::DefaultPushButton, "提取图标", 120, 72,
     80, 24, Event::Clicked, &CountClick, nullptr},
    {Control::编辑框1, "编辑框1", ControlKind::ReadOnlyEdit, "提示", 16, 24, 320, 20,
     Event::ContentChanged, &CountChange, nullptr},
}};
const WindowLayout kTestWindow = {Control::窗口, "窗口", "Tavrin", 50,           50,
                                  426,           153,    nullptr,  kTestControls};

// Delivers what is waiting in the thread's queue, as the message loop does.
void Pump(Win32Runtime& runtime) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (runtime.HandleWindowKey(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PressKey(Win32Runtime& runtime, HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    Pump(runtime);
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

class Win32Window : public ::testing::Test {
  protected:
    void SetUp() override { counts = {}; }
    Win32Runtime runtime;
};

TEST_F(Win32Window, IsBuiltFromTheLayoutAndCentred) {
    ASSERT_TRUE(runtime.LoadWindow(MainWindowLayout()));
    EXPECT_FALSE(runtime.LoadWindow(MainWindowLayout()));  // one main window only
    HWND window = runtime.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), L"Tavrin");

    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT outer;
    ::GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 426);
    EXPECT_EQ(outer.bottom - outer.top, 153);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(outer.left - work.left, work.right - outer.right, 1);
    EXPECT_NEAR(outer.top - work.top, work.bottom - outer.bottom, 1);

    // Every control with a window sits where the layout puts it, in the client area.
    int withWindows = 0;
    for (const ControlLayout& entry : MainWindowLayout().controls) {
        SCOPED_TRACE(std::string(entry.name));
        HWND control = runtime.ControlWindow(entry.id);
        if (entry.kind == ControlKind::OpenFileDialog || entry.kind == ControlKind::DropTarget) {
            EXPECT_EQ(control, nullptr);
            continue;
        }
        ASSERT_NE(control, nullptr);
        ++withWindows;
        RECT area;
        ::GetWindowRect(control, &area);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        EXPECT_EQ(area.left, entry.left);
        EXPECT_EQ(area.top, entry.top);
        EXPECT_EQ(area.right - area.left, entry.width);
        EXPECT_EQ(area.bottom - area.top, entry.height);
        EXPECT_EQ(TextOf(control), *WideFromUtf8(entry.text));
    }
    EXPECT_EQ(withWindows, 6);
    HWND edit = runtime.ControlWindow(Control::编辑框1);
    EXPECT_TRUE(::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(::GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // The created event ran: a skin is on and the drop target is registered.
    EXPECT_GE(runtime.ActiveSkinStyle(), 1);
    EXPECT_LE(runtime.ActiveSkinStyle(), 3);
    EXPECT_FALSE(
        runtime.RegisterDropTarget(Control::拖放对象1, runtime.WindowHandle(Control::窗口)));
}

TEST_F(Win32Window, UnbuildableLayoutsAreRefused) {
    const std::array<ControlLayout, 2> twice = {kTestControls[0], kTestControls[0]};
    const std::array<ControlLayout, 1> noSize = {
        {{Control::按钮_打开文件, "b", ControlKind::PushButton, "b", 0, 0, 0, 24, Event::None,
          nullptr, nullptr}}};
    for (const WindowLayout& layout :
         {WindowLayout{Control::窗口, "w", "w", 0, 0, 0, 153, nullptr, kTestControls},
          WindowLayout{Control::窗口, "w", "w", 0, 0, 426, 153, nullptr, twice},
          WindowLayout{Control::窗口, "w", "w", 0, 0, 426, 153, nullptr, noSize}}) {
        Win32Runtime fresh;
        EXPECT_FALSE(fresh.LoadWindow(layout));
        EXPECT_EQ(fresh.Window(), nullptr);
    }
}

TEST_F(Win32Window, EditContentRaisesItsEventInsideEveryWrite) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    EXPECT_EQ(counts.changes, 0);  // the layout's text raises nothing
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent), "提示");
    const std::string path = "C:\\图标\\a.exe";
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, path);
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, path);
    EXPECT_EQ(counts.changes, 2);
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent), path);
    EXPECT_EQ(TextOf(runtime.ControlWindow(Control::编辑框1)), L"C:\\图标\\a.exe");

    // Bytes that are not UTF-8 come back as written; the field shows a stand-in.
    const std::string raw = "a\xB2\xE2.exe";
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, raw);
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent), raw);
}

TEST_F(Win32Window, SelectionLengthCountsBytesOfWholeCharacters) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    const std::string path = "C:\\图标\\a.exe";  // 3 + 6 + 6 bytes
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, path);
    struct Case {
        std::int32_t asked;
        std::int32_t selected;
    };
    for (const Case& c : {Case{15, 15}, Case{4, 3}, Case{6, 6}, Case{8, 6}, Case{9, 9}, Case{0, 0},
                          Case{1000, 15}, Case{-1, 0}}) {
        SCOPED_TRACE(c.asked);
        runtime.SetControlProperty(Control::编辑框1, Property::EditSelectionLength, c.asked);
        EXPECT_EQ(runtime.GetInt(Control::编辑框1, Property::EditSelectionLength), c.selected);
    }
}

TEST_F(Win32Window, CaptionButtonAndCheckBoxProperties) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    runtime.SetControlProperty(Control::窗口, Property::WindowCaption,
                               std::string("发现图标数为：3个"));
    EXPECT_EQ(runtime.GetText(Control::窗口, Property::WindowCaption), "发现图标数为：3个");
    EXPECT_EQ(TextOf(runtime.Window()), L"发现图标数为：3个");

    EXPECT_FALSE(runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled));
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    EXPECT_TRUE(runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled));
    EXPECT_FALSE(::IsWindowEnabled(runtime.ControlWindow(Control::按钮_提取图标)));

    EXPECT_FALSE(runtime.GetBool(Control::选择框_兼容模式, Property::CheckBoxChecked));
    runtime.SetControlProperty(Control::选择框_兼容模式, Property::CheckBoxChecked, true);
    EXPECT_TRUE(runtime.GetBool(Control::选择框_兼容模式, Property::CheckBoxChecked));
    // A click on the box ticks it off again.
    ::SendMessageW(runtime.ControlWindow(Control::选择框_兼容模式), BM_CLICK, 0, 0);
    EXPECT_FALSE(runtime.GetBool(Control::选择框_兼容模式, Property::CheckBoxChecked));
}

TEST_F(Win32Window, EnterClicksTheEnabledDefaultButtonAndEscCloses) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    runtime.RegisterExitCallback(&CountExit);
    runtime.RegisterExitCallback(&CountExit);  // once in the list
    HWND edit = runtime.ControlWindow(Control::编辑框1);
    HWND other = runtime.ControlWindow(Control::按钮_打开文件1);
    ::SetFocus(other);

    PressKey(runtime, edit, VK_RETURN);
    PressKey(runtime, other, VK_RETURN);
    EXPECT_EQ(counts.clicks, 2);
    EXPECT_EQ(::GetFocus(), other);  // Enter never moves the focus

    // The focused default button, disabled, hands the focus on; Enter does nothing now.
    HWND extract = runtime.ControlWindow(Control::按钮_提取图标);
    ::SetFocus(extract);
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    EXPECT_NE(::GetFocus(), extract);
    EXPECT_NE(::GetFocus(), nullptr);
    PressKey(runtime, ::GetFocus(), VK_RETURN);
    EXPECT_EQ(counts.clicks, 2);

    // A mouse click reaches the handler as well, once the button is enabled again.
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, false);
    ::SendMessageW(extract, BM_CLICK, 0, 0);
    EXPECT_EQ(counts.clicks, 3);

    ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(runtime.Run(), 0);
    EXPECT_EQ(runtime.Window(), nullptr);
    EXPECT_EQ(counts.exits, 1);
}

// ---- The drop target, with a data object built in code.

class FakeData final : public IDataObject {
  public:
    // A file list (CF_HDROP) with these paths, or no file list at all.
    explicit FakeData(std::vector<std::wstring> paths, bool hasFiles = true)
        : paths_(std::move(paths)), hasFiles_(hasFiles) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        std::wstring list;
        for (const std::wstring& path : paths_) list += path + L'\0';
        list += L'\0';
        const std::size_t size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        auto* header = static_cast<DROPFILES*>(::GlobalLock(block));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
        ::GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return hasFiles_ && format && format->cfFormat == CF_HDROP &&
                       (format->tymed & TYMED_HGLOBAL)
                   ? S_OK
                   : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  private:
    std::vector<std::wstring> paths_;
    bool hasFiles_;
};

TEST(DropTarget, TakesFileListsOnlyAndRefusesCtrlShift) {
    std::vector<std::string> delivered;
    auto* target = new DropTarget([&](const std::string& text) { delivered.push_back(text); });
    struct Case {
        const char* name;
        FakeData data;
        DWORD keys;
        DWORD allowed;
        DWORD effect;
        std::vector<std::string> delivered;
    };
    const Case cases[] = {
        {"one file",
         FakeData({L"C:\\图标\\a.exe"}),
         0,
         DROPEFFECT_COPY | DROPEFFECT_MOVE,
         DROPEFFECT_COPY,
         {"C:\\图标\\a.exe"}},
        {"two files",
         FakeData({L"C:\\a.exe", L"C:\\b.dll"}),
         MK_CONTROL,
         DROPEFFECT_MOVE,
         DROPEFFECT_MOVE,
         {"C:\\a.exe\r\nC:\\b.dll\r\n"}},
        {"a link only",
         FakeData({L"C:\\a.exe"}),
         MK_SHIFT,
         DROPEFFECT_LINK,
         DROPEFFECT_LINK,
         {"C:\\a.exe"}},
        {"ctrl and shift",
         FakeData({L"C:\\a.exe"}),
         MK_CONTROL | MK_SHIFT,
         DROPEFFECT_COPY,
         DROPEFFECT_NONE,
         {}},
        {"no file list", FakeData({}, false), 0, DROPEFFECT_COPY, DROPEFFECT_NONE, {}},
        {"an empty file list", FakeData({}), 0, DROPEFFECT_COPY, DROPEFFECT_NONE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delivered.clear();
        auto& data = const_cast<FakeData&>(c.data);
        DWORD effect = c.allowed;
        ASSERT_EQ(target->DragEnter(&data, c.keys, {}, &effect), S_OK);
        // The drag is refused from its start when it carries no file list.
        if (std::string(c.name) == "no file list") {
            EXPECT_EQ(effect, DROPEFFECT_NONE);
        }
        effect = c.allowed;
        ASSERT_EQ(target->Drop(&data, c.keys, {}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(delivered, c.delivered);
    }
    target->Release();
}

TEST_F(Win32Window, DropsReachTheHandlerOnlyOnceRegistered) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    runtime.DeliverDrop("C:\\early.exe");
    EXPECT_TRUE(counts.drops.empty());
    const NativeHandle handle = runtime.WindowHandle(Control::窗口);
    EXPECT_FALSE(runtime.RegisterDropTarget(Control::编辑框1, handle));  // not a drop target
    EXPECT_FALSE(runtime.RegisterDropTarget(Control::拖放对象1, handle + 1));
    ASSERT_TRUE(runtime.RegisterDropTarget(Control::拖放对象1, handle));
    EXPECT_FALSE(runtime.RegisterDropTarget(Control::拖放对象1, handle));
    runtime.DeliverDrop("C:\\a.exe\r\nC:\\b.exe\r\n");
    EXPECT_EQ(counts.drops, std::vector<std::string>{"C:\\a.exe\r\nC:\\b.exe\r\n"});
}

// A wide text with the zeros inside it, without the literal's own last zero.
template <std::size_t N>
std::wstring Zeroed(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

TEST(DialogFilter, BecomesZeroSeparatedPairs) {
    struct Case {
        const char* filter;
        std::wstring converted;
    };
    const Case cases[] = {
        {"可执行文件（*.exe)|*.exe|BMP图像文件(*.bmp)|*.bmp",
         Zeroed(L"可执行文件（*.exe)\0*.exe\0BMP图像文件(*.bmp)\0*.bmp\0\0")},
        {"图标|*.ico;*.icl|", Zeroed(L"图标\0*.ico;*.icl\0\0")},
        {"a|*.a|lonely label", Zeroed(L"a\0*.a\0\0")},
        {"lonely label", L""},
        {"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(ConvertDialogFilter(c.filter), c.converted);
    }
}

TEST_F(Win32Window, SkinsSwitchAtRunTimeAndBackToThePlainLook) {
    ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
    HWND extract = runtime.ControlWindow(Control::按钮_提取图标);
    HWND about = runtime.ControlWindow(Control::按钮_打开文件1);
    auto type = [](HWND button) { return ::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK; };
    auto font = [](HWND control) { return ::SendMessageW(control, WM_GETFONT, 0, 0); };
    const LRESULT plainFont = font(extract);
    EXPECT_EQ(type(extract), BS_DEFPUSHBUTTON);

    std::vector<LRESULT> fonts;
    for (std::int32_t style : {1, 2, 3}) {
        SCOPED_TRACE(style);
        EXPECT_TRUE(runtime.SetSkinStyle(style));
        EXPECT_EQ(runtime.ActiveSkinStyle(), style);
        EXPECT_EQ(type(extract), BS_OWNERDRAW);
        EXPECT_EQ(type(about), BS_OWNERDRAW);
        fonts.push_back(font(extract));
        EXPECT_NE(fonts.back(), plainFont);
        EXPECT_EQ(font(runtime.ControlWindow(Control::编辑框1)), fonts.back());
        // The skinned window still draws: a paint of every control goes through.
        EXPECT_TRUE(::RedrawWindow(runtime.Window(), nullptr, nullptr,
                                   RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW));
    }
    for (std::int32_t plain : {0, 4, -1}) {
        SCOPED_TRACE(plain);
        runtime.SetSkinStyle(2);
        EXPECT_TRUE(runtime.SetSkinStyle(plain));
        EXPECT_EQ(runtime.ActiveSkinStyle(), 0);
        EXPECT_EQ(type(extract), BS_DEFPUSHBUTTON);
        EXPECT_EQ(type(about), BS_PUSHBUTTON);
        EXPECT_EQ(font(extract), plainFont);
    }
}

// Wine marks some Latin letters of a linked face as missing while it draws them, so only the
// Chinese characters are checked.
TEST_F(Win32Window, EveryLookHasGlyphsForTheChineseTexts) {
    ASSERT_TRUE(runtime.LoadWindow(MainWindowLayout()));
    HDC dc = ::GetDC(nullptr);
    for (std::int32_t style : {0, 1, 2, 3}) {
        runtime.SetSkinStyle(style);
        for (const ControlLayout& entry : MainWindowLayout().controls) {
            HWND control = runtime.ControlWindow(entry.id);
            if (!control) continue;
            SCOPED_TRACE(std::to_string(style) + " " + std::string(entry.name));
            const std::wstring text = TextOf(control);
            std::vector<WORD> glyphs(text.size());
            HGDIOBJ old = ::SelectObject(
                dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
            ASSERT_NE(::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                         glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS),
                      GDI_ERROR);
            ::SelectObject(dc, old);
            std::string missing;
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] >= 0x80 && glyphs[i] == 0xFFFF) {
                    missing += std::to_string(static_cast<int>(text[i])) + " ";
                }
            }
            EXPECT_EQ(missing, "");
        }
    }
    ::ReleaseDC(nullptr, dc);
}

TEST(ProgramDirectory, IsTheProgramsFolderAndTheCurrentDirectory) {
    Win32Runtime runtime;
    wchar_t module[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
    const std::string directory = runtime.ProgramDirectory();
    EXPECT_EQ(directory, Utf8FromWide(std::filesystem::path(module).parent_path().wstring()));
    EXPECT_NE(directory.back(), '\\');
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(module).parent_path());
}

TEST(Clipboard, TakesTheDibOnlyWithAWindow) {
    const ByteBuffer dib = testing::BuildDibImage({});
    {
        Win32Runtime runtime;
        EXPECT_FALSE(PutDibOnClipboard(dib));
        ASSERT_TRUE(runtime.LoadWindow(kTestWindow));
        ASSERT_TRUE(PutDibOnClipboard(dib));
        ASSERT_TRUE(::OpenClipboard(nullptr));
        HANDLE block = ::GetClipboardData(CF_DIB);
        ASSERT_NE(block, nullptr);
        ASSERT_GE(::GlobalSize(block), dib.size());
        EXPECT_EQ(std::memcmp(::GlobalLock(block), dib.data(), dib.size()), 0);
        ::GlobalUnlock(block);
        ::CloseClipboard();
    }
    EXPECT_FALSE(PutDibOnClipboard(dib));  // the run time is gone
}

// ---- Files: only regular files open as sources.

TEST(Files, PipesAndDevicesAreRefusedWithoutWaiting) {
    const std::wstring pipe =
        L"\\\\.\\pipe\\tavrin-test-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE server =
        ::CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    for (const std::string& path :
         {Utf8FromWide(pipe), std::string("NUL"), std::string("CON"), std::string("\\\\.\\NUL")}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(ReadOnlyFile::Open(path));
        EXPECT_TRUE(ReadFileBytes(path).empty());
    }
    ::CloseHandle(server);
}

// ---- Shortcuts and the desktop through the shell.

TEST(ShellLinks, TheShellsOwnShortcutsAreFollowed) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    TempDir dir;
    const std::string target = dir.Write("图标 tool.exe", {1, 2, 3});
    const std::string link = dir.File("工具.LNK");
    {
        IShellLinkW* shellLink = nullptr;
        ASSERT_TRUE(
            SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&shellLink))));
        shellLink->SetPath(WideFromUtf8(target)->c_str());
        IPersistFile* file = nullptr;
        shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        ASSERT_TRUE(SUCCEEDED(file->Save(WideFromUtf8(link)->c_str(), TRUE)));
        file->Release();
        shellLink->Release();
    }
    ::CoUninitialize();

    // Without COM set up by the caller as well.
    EXPECT_TRUE(IsShortcutFile(link));
    EXPECT_EQ(ResolveShortcut(link), target);
    // A file with .lnk inside its name, a missing one and a plain file are no shortcuts.
    const std::string notLink = dir.Write("a.lnk.exe", {1, 2, 3});
    for (const std::string& path : {notLink, dir.File("gone.lnk"), target, std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(IsShortcutFile(path));
        EXPECT_EQ(ResolveShortcut(path), "");
    }
}

TEST(ShellLinks, DesktopFolderEndsInOneBackslash) {
    const std::string desktop = SpecialFolderPath(3);
    ASSERT_FALSE(desktop.empty());
    EXPECT_EQ(desktop.back(), '\\');
    EXPECT_NE(desktop[desktop.size() - 2], '\\');
    EXPECT_TRUE(std::filesystem::is_directory(*WideFromUtf8(desktop)));
    for (std::int32_t other : {0, 16, -1}) EXPECT_EQ(SpecialFolderPath(other), "");
}

// ---- The shell's handlers on the real window: a module's icons are extracted into the program
// folder, and a bitmap is converted.

class ShellOnWin32 : public Win32Runtime {
  public:
    explicit ShellOnWin32(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramDirectory() override { return folder_; }
    void ShowMessage(const std::string& text, int iconKind, std::string_view) override {
        messages.push_back(text + " / " + std::to_string(iconKind));
    }
    std::vector<std::string> messages;

  private:
    std::string folder_;
};

TEST(ShellOnWin32, ExtractsAModulesIconsAndConvertsABitmap) {
    LastExtractedPath.clear();
    TempDir program;
    TempDir sources;
    testing::PeBuilder pe;
    for (std::uint16_t id : {1, 2, 3}) pe.AddIcon(id, testing::BuildDibImage({}));
    for (std::uint16_t id : {1, 2, 3}) pe.AddGroup(ResourceName(id), {id});
    const std::string module = sources.File("模块.dll");
    ASSERT_TRUE(pe.WriteTo(module));
    testing::BmpImage image;
    image.width = 16;
    image.height = 16;
    image.pixels = testing::PatternPixels(16, 16);
    const std::string bitmap = sources.Write("图.bmp", testing::BuildBmp(image));

    ShellOnWin32 runtime(program.path().string());
    ASSERT_TRUE(runtime.LoadWindow(MainWindowLayout()));
    HWND edit = runtime.ControlWindow(Control::编辑框1);

    runtime.DeliverDrop(module);
    EXPECT_EQ(runtime.GetText(Control::窗口, Property::WindowCaption), "发现图标数为：3个");
    EXPECT_EQ(runtime.GetInt(Control::编辑框1, Property::EditSelectionLength),
              static_cast<std::int32_t>(module.size()));
    PressKey(runtime, edit, VK_RETURN);
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        const ByteBuffer icon = ReadFileBytes(program.File(std::to_string(n) + ".ico"));
        ASSERT_GE(icon.size(), 6u);
        EXPECT_EQ(icon[2], 1);  // an icon file
        EXPECT_EQ(icon[4], 1);  // of one image
    }
    EXPECT_TRUE(runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled));
    PressKey(runtime, edit, VK_RETURN);  // disabled: nothing more happens
    EXPECT_TRUE(runtime.messages.empty());

    // The delete command removes the numbered files again.
    ::SendMessageW(runtime.ControlWindow(Control::按钮_删除图标), BM_CLICK, 0, 0);
    EXPECT_FALSE(std::filesystem::exists(program.File("1.ico")));
    EXPECT_EQ(runtime.messages, std::vector<std::string>{"删除的仅是本目录的被提取的ICO文件 / 0"});
    runtime.messages.clear();

    runtime.DeliverDrop(bitmap);
    EXPECT_EQ(runtime.GetText(Control::编辑框1, Property::EditContent), bitmap);
    PressKey(runtime, edit, VK_RETURN);
    const ByteBuffer converted = ReadFileBytes(program.File("1.ico"));
    ASSERT_GE(converted.size(), 22u);
    EXPECT_EQ(converted[4], 1);
    EXPECT_EQ(converted[6], 16);  // 16 x 16
    EXPECT_TRUE(runtime.messages.empty());
    LastExtractedPath.clear();
}

}  // namespace
}  // namespace tavrin::win32
