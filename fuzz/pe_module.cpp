// Opens arbitrary bytes as a module, enumerates its icon groups, reads every resource it names,
// and extracts every group to an icon file and a bitmap file the way the extract command does.
// The count must agree with the enumeration and with what the extraction returns, and nothing
// may read or write outside its buffers, hang, or allocate more than the file holds.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "icons/extract.h"
#include "icons/module_reader.h"
#include "platform/pe_resources.h"

namespace {

using namespace tavrin;

// Groups beyond this are counted but not all extracted, to keep each input quick.
constexpr std::int32_t kMostGroupsExtracted = 16;

// Never destroyed, so that the exit handler that removes it can still read its name.
const std::string& WorkFolder() {
    static const std::string& folder = *new std::string([] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrin-fuzz-pe-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(WorkFolder(), ignored);
        });
        return pattern;
    }());
    return folder;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pe_module: %s\n", what);
        std::abort();
    }
}

void ReadEveryResource(const ResourceModule& module, std::uint16_t type) {
    std::vector<ResourceName> names;
    module.EnumResourceNames(type, [&names](const ResourceName& name) {
        names.push_back(name);
        return names.size() < 64;
    });
    for (const ResourceName& name : names) {
        auto location = module.FindResource(name, type);
        if (!location) continue;
        Check(location->size <= module.fileSize(), "a resource larger than the file");
        std::vector<std::uint8_t> bytes(location->size);
        module.LoadResource(*location, bytes.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WorkFolder() + "/module.dll";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    std::int32_t count = CountIcons(path);
    if (auto module = ResourceModule::Open(path)) {
        std::uint32_t names = 0;
        bool complete =
            module->EnumResourceNames(kResourceTypeGroupIcon, [&names](const ResourceName&) {
                ++names;
                return true;
            });
        Check(count == (complete ? static_cast<std::int32_t>(names) : 0),
              "the count differs from the enumeration");
        ReadEveryResource(*module, kResourceTypeGroupIcon);
        ReadEveryResource(*module, kResourceTypeIcon);
    } else {
        Check(count == 0, "a count for what is not a module");
    }

    for (std::int32_t i = 1; i <= count && i <= kMostGroupsExtracted; ++i) {
        Check(ExtractIconGroup(path, 0, WorkFolder() + "/out.ico", i) == count,
              "the extraction's count differs from CountIcons");
        ExtractIconGroup(path, 0, WorkFolder() + "/out.bmp", i);
    }
    Check(ExtractIconGroup(path, 0, WorkFolder() + "/out.ico", count + 1) == 0,
          "a group past the count was extracted");
    Check(!WantedGroupName || !std::holds_alternative<std::string>(*WantedGroupName),
          "a copied name was left behind");
    return 0;
}
