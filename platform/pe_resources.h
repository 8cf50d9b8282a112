#pragma once
// Resource access to a PE32 or PE32+ module opened as a data file. The file is opened read-only
// and only the headers, the section table, the resource directory and the resources asked for
// are read; nothing of it is mapped, loaded or run. Every size and offset taken from the file is
// checked before use, so a hostile module is refused instead of trusted.
//
// A damaged resource is not a damaged module: a resource whose data lies outside every section,
// runs past its section or the file, or whose directory path is broken (more than three levels, a
// directory reached twice, counts or names running past the section) is simply not found, and
// every other resource stays readable.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "platform/bytes.h"

namespace tavrin {

inline constexpr std::uint16_t kResourceTypeIcon = 3;        // RT_ICON
inline constexpr std::uint16_t kResourceTypeGroupIcon = 14;  // RT_GROUP_ICON

// A resource name: a text (UTF-8, converted from the file's UTF-16) or an integer id.
using ResourceName = std::variant<std::string, std::uint16_t>;

// One found resource: where its bytes lie in the file.
struct ResourceLocation {
    std::uint64_t fileOffset = 0;
    std::uint32_t size = 0;
    // Bytes at the end that lie in a section's zero-filled tail (raw size below virtual size).
    std::uint32_t zeroTail = 0;
};

class ResourceModule {
  public:
    // LoadLibraryEx as a data file: null when the file cannot be opened or is not a PE image
    // (no "MZ", no "PE\0\0" where e_lfanew points, or an optional header that is neither PE32
    // nor PE32+). A PE image without a resource directory opens and has no resources.
    static std::unique_ptr<ResourceModule> Open(const std::string& path);
    virtual ~ResourceModule() = default;

    // Size of the module's file; no resource is larger.
    virtual std::uint64_t fileSize() const = 0;

    // One callback per name of the type, in directory order (named entries, then ids, as
    // stored). A text name is valid only during its callback. The callback returns false to
    // stop. Returns true once the enumeration has run to the end; false when the module has no
    // resource of that type, or its directory is damaged (a name past the end, an id above
    // 65,535), which may come after some names have been delivered.
    virtual bool EnumResourceNames(
        std::uint16_t type, const std::function<bool(const ResourceName&)>& callback) const = 0;
    // The number of names EnumResourceNames would deliver, without reading any resource data;
    // 0 where it would return false.
    virtual std::uint32_t CountResourceNames(std::uint16_t type) const = 0;

    // The first language variant of the resource of that type and name. Text names compare with
    // ASCII letters taken without regard to case. std::nullopt when there is none, when its
    // directory path is damaged, or when its data lies outside every section, runs past its
    // section or the file, or is larger than the file.
    virtual std::optional<ResourceLocation> FindResource(const ResourceName& name,
                                                         std::uint16_t type) const = 0;
    // Reads the found resource's bytes (location.size of them into out), zero tail included;
    // false when they cannot be read.
    virtual bool LoadResource(const ResourceLocation& location, std::uint8_t* out) const = 0;
};

}  // namespace tavrin
