#include "icons/extract.h"

#include <array>
#include <limits>
#include <memory>

#include "icons/ico_file.h"
#include "icons/module_reader.h"
#include "icons/source_names.h"
#include "platform/files.h"
#include "platform/pe_resources.h"

namespace tavrin {
namespace {

enum class SourceKind { IconFile, Module, Unsupported };

SourceKind KindOfSource(const std::string& path) {
    std::string last = LastThreeLowered(path);
    if (last == "ico") return SourceKind::IconFile;
    if (last == "exe" || last == "dll" || last == "icl") return SourceKind::Module;
    return SourceKind::Unsupported;
}

// Releases what one extraction acquired, on every path out of it: the group, a copied text name
// and the module.
struct ExtractionState {
    IconGroupPtr group;
    std::unique_ptr<ResourceModule> module;
    ~ExtractionState() {
        FreeIconGroup(std::move(group));
        if (WantedGroupName && std::holds_alternative<std::string>(*WantedGroupName)) {
            WantedGroupName.reset();
        }
    }
};

}  // namespace

std::int32_t ExtractIconGroup(const std::string& source, std::optional<std::int32_t> mode,
                              std::optional<std::string> target,
                              std::optional<std::int32_t> index) {
    std::int32_t wantedMode = mode.value_or(1);
    if (wantedMode < 0 || wantedMode > 1) wantedMode = 1;
    std::string targetPath = target.value_or(std::string());
    std::int32_t wanted = index.value_or(1);
    if (wanted < 1) wanted = 1;
    if (wantedMode == 0 && targetPath.empty()) return 0;

    SourceKind kind = KindOfSource(source);
    GroupCount = 0;
    WantedGroupName.reset();
    WantedGroupIndex = wanted;

    ExtractionState state;
    switch (kind) {
        case SourceKind::IconFile:
            // An icon file is read before the index is tested, and counts as one group
            // whether or not it could be read.
            state.group = ReadIcoFile(source);
            GroupCount = 1;
            break;
        case SourceKind::Module:
            state.module = ResourceModule::Open(source);
            if (state.module) NumberIconGroups(*state.module);
            break;
        case SourceKind::Unsupported:
            break;
    }
    if (GroupCount == 0 || wanted > GroupCount) return 0;

    if (kind == SourceKind::Module) state.group = ReadModuleIconGroup(source, WantedGroupName);
    // A group without images has no first image to write as a bitmap or to copy.
    const IconImage* first =
        state.group && !state.group->images.empty() ? &state.group->images.front() : nullptr;
    if (wantedMode == 0) {
        std::string targetKind = LastThreeLowered(targetPath);
        if (targetKind == "ico" && state.group) {
            WriteIcoFile(*state.group, targetPath);
        } else if (targetKind == "bmp" && first) {
            WriteBmpFile(targetPath, *first);
        }
    } else if (first) {
        CopyImageToClipboard(*first);
    }
    return GroupCount;
}

std::int32_t CountIcons(const std::string& path) {
    if (HasBitmapEnding(path)) {
        auto file = ReadOnlyFile::Open(path);
        std::array<std::uint8_t, 2> magic{};
        return file && file->ReadAt(0, magic) && magic[0] == 'B' && magic[1] == 'M' ? 1 : 0;
    }
    switch (KindOfSource(path)) {
        case SourceKind::IconFile: {
            auto file = ReadOnlyFile::Open(path);
            return file && ReadIcoHeader(*file) >= 1 ? 1 : 0;
        }
        case SourceKind::Module: {
            auto module = ResourceModule::Open(path);
            if (!module) return 0;
            std::uint32_t count = module->CountResourceNames(kResourceTypeGroupIcon);
            return count > std::numeric_limits<std::int32_t>::max()
                       ? std::numeric_limits<std::int32_t>::max()
                       : static_cast<std::int32_t>(count);
        }
        case SourceKind::Unsupported:
            break;
    }
    return 0;
}

}  // namespace tavrin
