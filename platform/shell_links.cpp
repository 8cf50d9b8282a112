// The shell-link reader and the XDG desktop folder; shell_links_win32.cpp asks the Windows shell.
#if !defined(_WIN32)
#include "platform/shell_links.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/files.h"
#include "platform/utf16.h"

namespace tavrin {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The shell-link header: its size, and the class identifier 00021401-0000-0000-C000-000000000046
// as stored (the first three groups little-endian).
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::array<std::uint8_t, 16> kShellLinkClassId = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46,
};
constexpr std::size_t kLinkFlagsOffset = 20;

// LinkFlags.
constexpr std::uint32_t kHasLinkTargetIdList = 0x0001;
constexpr std::uint32_t kHasLinkInfo = 0x0002;
constexpr std::uint32_t kForceNoLinkInfo = 0x0100;

// LinkInfoFlags.
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr std::uint32_t kLinkInfoHeaderWithUnicode = 0x24;

// Shortcut files are small; anything beyond this is not looked at.
constexpr std::size_t kMaxShortcutBytes = 1 << 20;
// The longest target the shell hands back: 259 bytes and a terminating zero.
constexpr std::size_t kMaxTargetBytes = 259;

// A zero-terminated narrow string starting at offset within data; std::nullopt when the offset
// lies outside or no terminator follows.
std::optional<std::string> NarrowStringAt(Bytes data, std::size_t offset) {
    if (offset >= data.size()) return std::nullopt;
    Bytes rest = data.subspan(offset);
    auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0});
    if (end == rest.end()) return std::nullopt;
    return std::string(rest.begin(), end);
}

// A zero-terminated UTF-16LE string starting at offset within data, converted to UTF-8;
// std::nullopt when the offset lies outside or no terminator follows.
std::optional<std::string> WideStringAt(Bytes data, std::size_t offset) {
    if (offset >= data.size()) return std::nullopt;
    ByteReader reader(data.subspan(offset));
    while (auto unit = reader.U16()) {
        if (*unit == 0) return Utf16ToUtf8(data.subspan(offset, reader.position() - 2));
    }
    return std::nullopt;
}

// A string of LinkInfo: the Unicode form when its offset is given and holds one, else the narrow
// form.
std::optional<std::string> LinkInfoString(Bytes info, std::uint32_t narrowOffset,
                                          std::optional<std::uint32_t> wideOffset) {
    if (wideOffset && *wideOffset != 0) {
        if (auto wide = WideStringAt(info, *wideOffset)) return wide;
    }
    if (narrowOffset == 0) return std::nullopt;
    return NarrowStringAt(info, narrowOffset);
}

// The target that LinkInfo records: the local base path joined with the common path suffix, or
// for a network target the share's name, a backslash and the suffix.
std::optional<std::string> LinkInfoTarget(Bytes info) {
    auto headerSize = ReadU32At(info, 4);
    auto flags = ReadU32At(info, 8);
    auto localBaseOffset = ReadU32At(info, 16);
    auto networkOffset = ReadU32At(info, 20);
    auto suffixOffset = ReadU32At(info, 24);
    if (!headerSize || !flags || !localBaseOffset || !networkOffset || !suffixOffset) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> localBaseWide;
    std::optional<std::uint32_t> suffixWide;
    if (*headerSize >= kLinkInfoHeaderWithUnicode) {
        localBaseWide = ReadU32At(info, 28);
        suffixWide = ReadU32At(info, 32);
    }
    std::string suffix = LinkInfoString(info, *suffixOffset, suffixWide).value_or(std::string());

    if (*flags & kVolumeIdAndLocalBasePath) {
        if (auto base = LinkInfoString(info, *localBaseOffset, localBaseWide)) {
            return *base + suffix;
        }
    }
    if ((*flags & kCommonNetworkRelativeLinkAndPathSuffix) && *networkOffset < info.size()) {
        Bytes network = info.subspan(*networkOffset);
        auto networkSize = ReadU32At(network, 0);
        auto netNameOffset = ReadU32At(network, 8);
        if (!networkSize || !netNameOffset || *networkSize > network.size()) return std::nullopt;
        network = network.first(*networkSize);
        std::optional<std::uint32_t> netNameWide;
        if (*netNameOffset > 0x14) netNameWide = ReadU32At(network, 20);
        auto netName = LinkInfoString(network, *netNameOffset, netNameWide);
        if (!netName || netName->empty()) return std::nullopt;
        return suffix.empty() ? *netName : *netName + "\\" + suffix;
    }
    return std::nullopt;
}

// The long name that a file-system item keeps in its extension block 0xBEEF0004, if any.
std::optional<std::string> LongNameOfFileItem(Bytes item) {
    // The item's last two bytes give the offset of its first extension block.
    auto blockOffset = ReadU16At(item, item.size() >= 2 ? item.size() - 2 : 0);
    if (!blockOffset || *blockOffset < 4 || *blockOffset >= item.size()) return std::nullopt;
    Bytes block = item.subspan(*blockOffset);
    auto blockSize = ReadU16At(block, 0);
    auto version = ReadU16At(block, 2);
    auto signature = ReadU32At(block, 4);
    if (!blockSize || !version || !signature || *signature != 0xBEEF0004 ||
        *blockSize > block.size()) {
        return std::nullopt;
    }
    block = block.first(*blockSize);
    std::size_t nameOffset;
    if (*version >= 9) {
        nameOffset = 46;
    } else if (*version == 8) {
        nameOffset = 42;
    } else if (*version == 7) {
        nameOffset = 38;
    } else if (*version >= 3) {
        nameOffset = 20;
    } else {
        nameOffset = 18;
    }
    auto name = WideStringAt(block, nameOffset);
    if (!name || name->empty()) return std::nullopt;
    return name;
}

// The name of a file-system item: its long name where it keeps one, else its primary name.
std::optional<std::string> FileItemName(Bytes item, std::uint8_t type) {
    constexpr std::size_t kPrimaryNameOffset = 14;
    if (auto longName = LongNameOfFileItem(item)) return longName;
    constexpr std::uint8_t kUnicodeNames = 0x04;
    auto name = (type & kUnicodeNames) ? WideStringAt(item, kPrimaryNameOffset)
                                       : NarrowStringAt(item, kPrimaryNameOffset);
    if (!name || name->empty()) return std::nullopt;
    return name;
}

// A volume item's name when it is a drive such as "C:\".
std::optional<std::string> DriveOfVolumeItem(Bytes item) {
    auto name = NarrowStringAt(item, 3);
    if (!name || name->size() < 2 || name->size() > 3) return std::nullopt;
    char letter = (*name)[0];
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || (*name)[1] != ':') return std::nullopt;
    if (name->size() == 3 && (*name)[2] != '\\') return std::nullopt;
    if (name->size() == 2) *name += '\\';
    return name;
}

// The path that the items of an ID list spell out: a drive followed by file-system items, after
// an optional root item. Any other item means the target is no file-system path.
std::optional<std::string> IdListTarget(Bytes list) {
    ByteReader reader(list);
    std::string path;
    bool sawRoot = false;
    while (true) {
        auto itemSize = reader.U16();
        if (!itemSize) return std::nullopt;
        if (*itemSize == 0) break;
        if (*itemSize < 3 || !reader.Seek(reader.position() - 2)) return std::nullopt;
        auto item = reader.Bytes(*itemSize);
        if (!item) return std::nullopt;
        const std::uint8_t type = (*item)[2];
        if (type == 0x1F && path.empty() && !sawRoot) {
            sawRoot = true;  // a root folder such as "This PC"
        } else if ((type & 0xF0) == 0x20 && path.empty()) {
            auto drive = DriveOfVolumeItem(*item);
            if (!drive) return std::nullopt;
            path = *drive;
        } else if ((type & 0x70) == 0x30 && !path.empty()) {
            auto name = FileItemName(*item, type);
            if (!name) return std::nullopt;
            if (path.back() != '\\') path += '\\';
            path += *name;
        } else {
            return std::nullopt;
        }
    }
    if (path.empty()) return std::nullopt;
    return path;
}

bool HasShellLinkHeader(Bytes data) {
    auto size = ReadU32At(data, 0);
    if (!size || *size != kHeaderSize || data.size() < kHeaderSize) return false;
    return std::equal(kShellLinkClassId.begin(), kShellLinkClassId.end(), data.begin() + 4);
}

std::string ShortcutTarget(Bytes data) {
    if (!HasShellLinkHeader(data)) return {};
    const std::uint32_t flags = *ReadU32At(data, kLinkFlagsOffset);
    ByteReader reader(data);
    reader.Seek(kHeaderSize);

    std::optional<std::string> fromIdList;
    if (flags & kHasLinkTargetIdList) {
        auto listSize = reader.U16();
        if (!listSize) return {};
        auto list = reader.Bytes(*listSize);
        if (!list) return {};
        fromIdList = IdListTarget(*list);
    }
    std::optional<std::string> fromLinkInfo;
    if ((flags & kHasLinkInfo) && !(flags & kForceNoLinkInfo)) {
        // A LinkInfo that the flags announce but the file does not hold marks a damaged file.
        constexpr std::uint32_t kMinLinkInfoSize = 0x1C;
        auto infoSize = ReadU32At(data, reader.position());
        if (!infoSize || *infoSize < kMinLinkInfoSize) return {};
        auto info = reader.Bytes(*infoSize);
        if (!info) return {};
        fromLinkInfo = LinkInfoTarget(*info);
    }
    std::string target = fromLinkInfo ? *fromLinkInfo : fromIdList.value_or(std::string());
    // A longer path would not fit the shell's buffer; a cut one would name some other file.
    if (target.size() > kMaxTargetBytes) return {};
    return target;
}

// Reads the first bytes of a regular file, at most limit of them.
ByteBuffer ReadFileStart(const std::string& path, std::size_t limit) {
    auto file = ReadOnlyFile::Open(path);
    if (!file) return {};
    ByteBuffer bytes(static_cast<std::size_t>(std::min<std::uint64_t>(file->size(), limit)));
    if (!file->ReadAt(0, bytes)) return {};
    return bytes;
}

// ---- The desktop directory, from the XDG user directories.

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    if (home && home[0] != '\0') return {};
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
    return {};
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs: a quoted "$HOME/…" or absolute path.
std::optional<std::string> ConfiguredDesktop(const std::string& home) {
    std::string configHome;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    if (xdgConfig && xdgConfig[0] == '/') {
        configHome = xdgConfig;
    } else {
        configHome = home + "/.config";
    }
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::optional<std::string> result;
    std::string line;
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=\"";
    while (std::getline(in, line)) {
        std::string_view rest(line);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
            rest.remove_prefix(1);
        }
        if (!rest.starts_with(kKey)) continue;
        rest.remove_prefix(kKey.size());
        std::string value;
        bool closed = false;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size()) {
                value += rest[++i];
            } else if (rest[i] == '"') {
                closed = true;
                break;
            } else {
                value += rest[i];
            }
        }
        if (!closed) continue;
        if (value.starts_with("$HOME")) {
            std::string_view tail = std::string_view(value).substr(5);
            if (!tail.empty() && tail.front() != '/') continue;
            value = home + std::string(tail);
        } else if (!value.starts_with("/")) {
            continue;
        }
        result = value;  // the last assignment wins, as in a shell
    }
    return result;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool IsShortcutFile(const std::string& path) {
    return HasShellLinkHeader(ReadFileStart(path, kHeaderSize));
}

std::string ResolveShortcut(const std::string& path) {
    return ShortcutTarget(ReadFileStart(path, kMaxShortcutBytes));
}

std::string SpecialFolderPath(std::int32_t number) {
    constexpr std::int32_t kDesktopDirectory = 3;
    if (number != kDesktopDirectory) return {};
    const std::string home = HomeDirectory();
    if (home.empty()) return {};
    std::string desktop = ConfiguredDesktop(home).value_or(home + "/Desktop");
    if (!IsDirectory(desktop)) return {};
    while (desktop.size() > 1 && desktop.back() == '/') desktop.pop_back();
    if (desktop.back() != '/') desktop += '/';
    return desktop;
}

}  // namespace tavrin
#endif
