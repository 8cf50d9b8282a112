#include "icons/module_reader.h"

#include <new>
#include <vector>

#include "platform/byte_reader.h"

namespace tavrin {

std::int32_t WantedGroupIndex = 0;
std::int32_t GroupCount = 0;
std::optional<ResourceName> WantedGroupName;

namespace {

constexpr std::size_t kGroupHeaderSize = 6;  // idReserved, idType, idCount
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kEntryIdOffset = 12;  // nID, after bWidth … dwBytesInRes

}  // namespace

bool OnIconGroupName(const ResourceName& name) {
    ++GroupCount;
    if (GroupCount == WantedGroupIndex) WantedGroupName = name;
    return true;
}

void NumberIconGroups(const ResourceModule& module) {
    if (!module.EnumResourceNames(kResourceTypeGroupIcon, OnIconGroupName)) GroupCount = 0;
}

IconGroupPtr ReadModuleIconGroup(const std::string& path, const std::optional<ResourceName>& name) {
    auto module = ResourceModule::Open(path);
    if (!module || !name) return nullptr;

    auto found = module->FindResource(*name, kResourceTypeGroupIcon);
    if (!found) return nullptr;
    std::vector<std::uint8_t> directory(found->size);
    if (!module->LoadResource(*found, directory.data())) return nullptr;
    ByteReader reader(directory);
    reader.Skip(4);  // idReserved and idType are not looked at
    auto count = reader.U16();
    if (!count || std::size_t{*count} * kGroupEntrySize > reader.remaining()) return nullptr;

    auto group = std::make_unique<IconGroup>();
    group->moduleFilePath = path;
    group->imageCount = *count;
    group->images.resize(*count);
    // Distinct RT_ICON resources occupy distinct bytes of the file, so a group whose images
    // together outgrow the file names the same large image over and over: refused, before it
    // could take many times the file's size in memory.
    std::uint64_t total = 0;
    for (std::uint16_t i = 0; i < *count; ++i) {
        auto id = ReadU16At(directory, kGroupHeaderSize + i * kGroupEntrySize + kEntryIdOffset);
        auto location = module->FindResource(*id, kResourceTypeIcon);
        if (!location) return nullptr;
        total += location->size;
        if (total > module->fileSize()) return nullptr;
        IconImage& image = group->images[i];
        image.data.reset(new (std::nothrow) std::uint8_t[location->size]);
        if (!image.data || !module->LoadResource(*location, image.data.get())) return nullptr;
        image.dataSize = location->size;
        DeriveImageLayout(image);
    }
    return group;
}

}  // namespace tavrin
