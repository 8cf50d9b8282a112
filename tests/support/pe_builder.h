#pragma once
// Builds PE32 and PE32+ modules with a resource section in code, so that every case of a test is
// one row: well-formed modules with named and numbered icon groups in several languages, and each
// kind of damage a hostile module can carry, as an option.
//
// Layout: headers in the first 0x200 bytes; sections ".text" (RVA 0x1000), ".rsrc" (RVA 0x2000)
// and ".reloc" after it. The resource section holds the root, the name directories, the language
// directories, the data entries and the name strings, then the data of every resource, each
// 8-aligned, with nothing after the last one.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/pe_resources.h"

namespace tavrin::testing {

enum class PeFormat { Pe32, Pe32Plus };

// What is wrong with one resource.
enum class ResourceFault {
    None,
    FourthLevel,          // its language entry leads to one more directory
    LanguageLoop,         // its name entry leads back to its type's name directory
    DataOutsideSections,  // its data RVA lies in no section
    DataPastSection,      // its size runs one byte past its section (the file goes on)
    DataPastFile,         // 16 MB, inside the section's zero-filled tail but beyond the file
};

// What is wrong with the whole module.
enum class ModuleFault {
    None,
    NoDosMagic,            // "MZ" is missing
    NoPeSignature,         // "PE\0\0" is missing where e_lfanew points
    UnknownOptionalMagic,  // the optional header is neither PE32 nor PE32+
    PeHeaderPastEnd,       // e_lfanew points past the end of the file
    NoResourceTable,       // the optional header has only two data directories
    GroupTypeLoop,         // RT_GROUP_ICON leads back to the root directory
    GroupCountTooLarge,    // RT_GROUP_ICON's name directory claims 65,535 more ids than fit
    GroupNamePastEnd,      // the first named RT_GROUP_ICON's name runs past the section
    GroupIdAboveRange,     // the first numbered RT_GROUP_ICON's id is 0x10000 + id
    TruncatedSection,      // the file ends 16 bytes before the resource section's data does
};

// One GRPICONDIRENTRY.
struct GroupEntry {
    std::uint16_t id = 0;
    std::uint32_t bytesInRes = 0;
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 32;
};

// A GRPICONDIR with these entries; count overrides idCount.
ByteBuffer BuildGroupDirectory(const std::vector<GroupEntry>& entries,
                               std::optional<std::uint16_t> count = {});

inline constexpr std::uint16_t kLanguageEnglish = 0x409;
inline constexpr std::uint16_t kLanguageChinese = 0x804;

class PeBuilder {
  public:
    explicit PeBuilder(PeFormat format = PeFormat::Pe32) : format_(format) {}

    // A resource; the same type and name added again with another language adds a language
    // variant. Names of a type are stored named first, in the order added, then ids in
    // ascending order, as linkers store them.
    PeBuilder& Add(std::uint16_t type, const ResourceName& name, ByteBuffer data,
                   std::uint16_t language = kLanguageEnglish,
                   ResourceFault fault = ResourceFault::None);
    // The same, sharing bytes with other resources (large modules stay small in memory).
    PeBuilder& AddShared(std::uint16_t type, const ResourceName& name,
                         std::shared_ptr<const ByteBuffer> data,
                         std::uint16_t language = kLanguageEnglish,
                         ResourceFault fault = ResourceFault::None);
    PeBuilder& AddIcon(std::uint16_t id, ByteBuffer image,
                       ResourceFault fault = ResourceFault::None) {
        return Add(kResourceTypeIcon, id, std::move(image), kLanguageEnglish, fault);
    }
    // An RT_GROUP_ICON naming these RT_ICON ids; dwBytesInRes and bitCount come from the icons
    // added so far where they exist.
    PeBuilder& AddGroup(const ResourceName& name, const std::vector<std::uint16_t>& iconIds,
                        std::uint16_t language = kLanguageEnglish);

    PeBuilder& Fault(ModuleFault fault) {
        fault_ = fault;
        return *this;
    }
    // The last `bytes` bytes of the resource section lie beyond its raw data and read as zeros:
    // the file leaves them out, SizeOfRawData stops short and VirtualSize covers them, and the
    // file alignment after the raw data is filled with 0xEE instead.
    PeBuilder& ZeroTail(std::uint32_t bytes) {
        zeroTail_ = bytes;
        return *this;
    }

    ByteBuffer Build() const;
    // Writes the module to a file, one resource at a time.
    bool WriteTo(const std::string& path) const;

    // Where the resource section's raw data starts in the file, and its RVA.
    static constexpr std::uint32_t kResourceFileOffset = 0x400;
    static constexpr std::uint32_t kResourceRva = 0x2000;

  private:
    struct Resource {
        std::uint16_t type = 0;
        ResourceName name;
        std::uint16_t language = 0;
        std::shared_ptr<const ByteBuffer> data;
        ResourceFault fault = ResourceFault::None;
    };
    template <typename Sink>
    bool Emit(Sink&& sink) const;

    PeFormat format_;
    ModuleFault fault_ = ModuleFault::None;
    std::uint32_t zeroTail_ = 0;
    std::vector<Resource> resources_;
};

}  // namespace tavrin::testing
