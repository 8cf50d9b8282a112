#pragma once
// Resource access to a PE32 or PE32+ module opened as a data file. The file is opened read-only
// and only the headers, the section table, the resource directory and the resources asked for
// are read; nothing of it is mapped, loaded or run. Every size and offset taken from the file is
// checked before use, so a hostile module is refused instead of trusted.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
    // LoadLibraryEx as a data file: null when the file cannot be opened or is not a PE image.
    static std::unique_ptr<ResourceModule> Open(const std::string& path);
    virtual ~ResourceModule() = default;

    // One callback per name of the type, in directory order (named entries, then ids, as
    // stored). The callback returns false to stop. Returns true once the enumeration has run to
    // the end; false when the module has no resource of that type, or its directory is damaged.
    virtual bool EnumResourceNames(std::uint16_t type,
                                   const std::function<bool(const ResourceName&)>& callback) const = 0;
    // The number of names of the type, without reading any resource data; 0 as for a failed
    // enumeration.
    virtual std::uint32_t CountResourceNames(std::uint16_t type) const = 0;

    // The first language variant of the resource of that type and name. Text names compare with
    // ASCII letters taken without regard to case. std::nullopt when there is none, or when its
    // data lies outside every section or runs past its section or the file.
    virtual std::optional<ResourceLocation> FindResource(const ResourceName& name,
                                                         std::uint16_t type) const = 0;
    // Reads the found resource's bytes, zero tail included; false when they cannot be read.
    virtual bool LoadResource(const ResourceLocation& location, std::uint8_t* out) const = 0;
};

}  // namespace tavrin
