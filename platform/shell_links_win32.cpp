// Shortcuts and the desktop folder through the Windows shell: the shell decides what is a
// shortcut, its link object reads the target, and it names the desktop directory.
#if defined(_WIN32)
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <array>
#include <cwchar>

#include "platform/files.h"
#include "platform/shell_links.h"
#include "platform/wide_text.h"

namespace tavrin {
namespace {

// The longest target taken: a longer one would not fit the shell's own path buffer, and a cut
// one would name some other file.
constexpr std::size_t kMaxTargetUnits = MAX_PATH - 1;

// COM for the length of one call, unless the thread has it already (in any apartment).
class ComScope {
  public:
    ComScope() {
        const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owned_ = SUCCEEDED(result);
    }
    ~ComScope() {
        if (owned_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool owned_ = false;
};

template <typename Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

  private:
    Interface* pointer_ = nullptr;
};

bool IsShellLink(const std::wstring& path) {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES) == 0) return false;
    return (info.dwAttributes & SFGAO_LINK) != 0;
}

// The shell-link header: its size, then the class identifier of the shell link as stored.
bool HasShellLinkHeader(const std::string& path) {
    constexpr std::array<std::uint8_t, 20> kHeaderStart = {
        0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
        0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46,
    };
    auto file = ReadOnlyFile::Open(path);
    std::array<std::uint8_t, kHeaderStart.size()> start{};
    return file && file->ReadAt(0, start) && start == kHeaderStart;
}

}  // namespace

bool IsShortcutFile(const std::string& path) {
    auto wide = WideFromUtf8(path);
    if (!wide || wide->empty()) return false;
    // The shell takes every file with the shortcut ending for a shortcut; only one that also
    // starts as a shell link is one.
    ComScope com;
    return IsShellLink(*wide) && HasShellLinkHeader(path);
}

std::string ResolveShortcut(const std::string& path) {
    auto wide = WideFromUtf8(path);
    if (!wide || wide->empty()) return {};
    ComScope com;
    if (!IsShellLink(*wide)) return {};

    ComPointer<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.Out())))) {
        return {};
    }
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())))) {
        return {};
    }
    // The shell itself adds the ending to a name without one.
    std::wstring name = *wide;
    if (name.find(L'.') == std::wstring::npos) name += L".lnk";
    if (FAILED(file->Load(name.c_str(), STGM_READ))) return {};

    // Room for more than the limit, so that a longer target is seen and refused, not cut.
    wchar_t target[2 * MAX_PATH] = {};
    if (FAILED(link->GetPath(target, static_cast<int>(std::size(target)), nullptr, 0))) return {};
    target[std::size(target) - 1] = L'\0';
    const std::size_t length = std::wcslen(target);
    if (length > kMaxTargetUnits) return {};
    return Utf8FromWide(std::wstring_view(target, length));
}

std::string SpecialFolderPath(std::int32_t number) {
    // The program's own number for the desktop directory, not a CSIDL value.
    constexpr std::int32_t kDesktopDirectory = 3;
    if (number != kDesktopDirectory) return {};
    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE)) return {};
    folder[MAX_PATH - 1] = L'\0';
    std::string path = Utf8FromWide(folder);
    if (path.empty()) return {};
    if (path.back() != '\\') path += '\\';
    return path;
}

}  // namespace tavrin
#endif
