#pragma once
// Shortcut (.lnk) files built in code: a header, an optional ID list of shell items and an
// optional LinkInfo with narrow and Unicode paths.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace tavrin::testing {

// Items of a target ID list.
ByteBuffer ComputerItem();                       // the root folder "This PC"
ByteBuffer DriveItem(const std::string& drive);  // a volume such as "C:\"
// A file or folder: its primary (short) name and, when given, its long name in an extension
// block of the given version.
ByteBuffer FileItem(const std::string& primaryName, bool directory,
                    const std::optional<std::u16string>& longName = std::nullopt,
                    std::uint16_t extensionVersion = 9);
ByteBuffer OtherItem();  // a shell item that names no file-system object

// A LinkInfo structure, set piece by piece.
class LinkInfoBuilder {
  public:
    // The narrow local base path; sets VolumeIDAndLocalBasePath.
    LinkInfoBuilder& Base(std::string path);
    LinkInfoBuilder& Suffix(std::string suffix);
    // The Unicode forms; they give the structure its 0x24-byte header.
    LinkInfoBuilder& UnicodeBase(std::u16string path);
    LinkInfoBuilder& UnicodeSuffix(std::u16string suffix);
    // A network share name; sets CommonNetworkRelativeLinkAndPathSuffix.
    LinkInfoBuilder& Network(std::string name);
    ByteBuffer Build() const;

  private:
    std::optional<std::string> base_;
    std::string suffix_;
    std::optional<std::u16string> unicodeBase_;
    std::optional<std::u16string> unicodeSuffix_;
    std::optional<std::string> network_;
};

// A shortcut file: the header, then the ID list and LinkInfo that were given, and an empty
// extra-data list.
class ShortcutBuilder {
  public:
    ShortcutBuilder& IdList(std::vector<ByteBuffer> items);  // without the terminal zero
    ShortcutBuilder& LinkInfo(ByteBuffer info);
    ShortcutBuilder& ExtraFlags(std::uint32_t flags);
    ByteBuffer Build() const;

  private:
    std::optional<std::vector<ByteBuffer>> idList_;
    std::optional<ByteBuffer> linkInfo_;
    std::uint32_t extraFlags_ = 0;
};

// A shortcut whose LinkInfo records a local path (narrow form, as stored).
ByteBuffer ShortcutToLocalPath(const std::string& path);

}  // namespace tavrin::testing
