#pragma once
// Icon groups inside modules: the numbering of a module's RT_GROUP_ICON resources, and the reader
// that turns one of them, with its RT_ICON images, into an icon group.
#include <cstdint>
#include <optional>
#include <string>

#include "icons/icon_group.h"
#include "platform/pe_resources.h"

namespace tavrin {

// Process-wide numbering state, shared by the enumeration callback and the extraction command,
// which resets all three at the start of every call. Only one numbering runs at a time.
extern std::int32_t WantedGroupIndex;  // number (from 1) of the group wanted
extern std::int32_t GroupCount;        // names enumerated so far; then the number of groups
// The name of group WantedGroupIndex once the enumeration has reached it: a copied text (valid
// after the enumeration has ended) or an integer id; none until then.
extern std::optional<ResourceName> WantedGroupName;

// Called once per RT_GROUP_ICON name: counts it and remembers the wanted one. Always true, so
// that every group is counted.
bool OnIconGroupName(const ResourceName& name);

// Enumerates the module's RT_GROUP_ICON names through OnIconGroupName; when the enumeration
// fails (no groups, a damaged directory), GroupCount is 0 whatever was counted.
void NumberIconGroups(const ResourceModule& module);

// The group of that name with every image it names, owned by the caller; null when the module
// cannot be opened, the name is none or not found, the group's directory is shorter than its
// idCount entries, an RT_ICON it names is missing or unreadable, or its images together would
// be larger than the module's file. Nothing of a failed group is left allocated.
IconGroupPtr ReadModuleIconGroup(const std::string& path, const std::optional<ResourceName>& name);

}  // namespace tavrin
