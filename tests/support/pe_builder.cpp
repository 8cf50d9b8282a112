#include "support/pe_builder.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "support/byte_builder.h"

namespace tavrin::testing {
namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kPastFileSize = 0x01000000;  // 16 MB
constexpr std::uint32_t kOutsideEverySection = 0x00F00000;

std::uint32_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
    return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

// UTF-8 (assumed valid) to UTF-16 code units.
std::vector<std::uint16_t> Utf16Of(const std::string& text) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<std::uint8_t>(text[i]);
        std::uint32_t code = byte;
        std::size_t length = 1;
        if (byte >= 0xF0) {
            code = byte & 0x07;
            length = 4;
        } else if (byte >= 0xE0) {
            code = byte & 0x0F;
            length = 3;
        } else if (byte >= 0xC0) {
            code = byte & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return units;
}

std::uint16_t BitCountOf(const ByteBuffer& image) {
    if (image.size() >= 16 && image[0] == 40)
        return static_cast<std::uint16_t>(image[14] | image[15] << 8);
    return 32;
}

}  // namespace

ByteBuffer BuildGroupDirectory(const std::vector<GroupEntry>& entries,
                               std::optional<std::uint16_t> count) {
    ByteBuilder out;
    out.U16(0).U16(1).U16(count.value_or(static_cast<std::uint16_t>(entries.size())));
    for (const GroupEntry& entry : entries) {
        out.U8(entry.width).U8(entry.height).U8(0).U8(0);
        out.U16(entry.planes).U16(entry.bitCount).U32(entry.bytesInRes).U16(entry.id);
    }
    return out.Take();
}

PeBuilder& PeBuilder::Add(std::uint16_t type, const ResourceName& name, ByteBuffer data,
                          std::uint16_t language, ResourceFault fault) {
    return AddShared(type, name, std::make_shared<const ByteBuffer>(std::move(data)), language,
                     fault);
}

PeBuilder& PeBuilder::AddShared(std::uint16_t type, const ResourceName& name,
                                std::shared_ptr<const ByteBuffer> data, std::uint16_t language,
                                ResourceFault fault) {
    resources_.push_back({type, name, language, std::move(data), fault});
    return *this;
}

PeBuilder& PeBuilder::AddGroup(const ResourceName& name, const std::vector<std::uint16_t>& iconIds,
                               std::uint16_t language) {
    std::vector<GroupEntry> entries;
    for (std::uint16_t id : iconIds) {
        GroupEntry entry;
        entry.id = id;
        for (const Resource& resource : resources_) {
            if (resource.type == kResourceTypeIcon && resource.name == ResourceName(id)) {
                entry.bytesInRes = static_cast<std::uint32_t>(resource.data->size());
                entry.bitCount = BitCountOf(*resource.data);
                break;
            }
        }
        entries.push_back(entry);
    }
    return Add(kResourceTypeGroupIcon, name, BuildGroupDirectory(entries), language);
}

template <typename Sink>
bool PeBuilder::Emit(Sink&& sink) const {
    // The tree: types by id; in each, named entries in the order added, then ids ascending;
    // in each name, its languages in the order added.
    struct Name {
        ResourceName name;
        std::vector<std::size_t> resources;
        std::uint32_t languageDirectory = 0;
        std::uint32_t string = 0;
    };
    struct Type {
        std::uint16_t id = 0;
        std::vector<Name> names;
        std::uint32_t directory = 0;
    };
    std::vector<Type> types;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        const Resource& resource = resources_[i];
        auto type = std::find_if(types.begin(), types.end(),
                                 [&](const Type& t) { return t.id == resource.type; });
        if (type == types.end()) type = types.insert(types.end(), Type{resource.type, {}, 0});
        auto name = std::find_if(type->names.begin(), type->names.end(),
                                 [&](const Name& n) { return n.name == resource.name; });
        if (name == type->names.end()) {
            name = type->names.insert(type->names.end(), Name{resource.name, {}, 0, 0});
        }
        name->resources.push_back(i);
    }
    std::sort(types.begin(), types.end(), [](const Type& a, const Type& b) { return a.id < b.id; });
    for (Type& type : types) {
        auto ids = std::stable_partition(type.names.begin(), type.names.end(), [](const Name& n) {
            return std::holds_alternative<std::string>(n.name);
        });
        std::stable_sort(ids, type.names.end(), [](const Name& a, const Name& b) {
            return std::get<std::uint16_t>(a.name) < std::get<std::uint16_t>(b.name);
        });
    }

    // Offsets inside the resource section.
    std::vector<std::uint32_t> dataEntry(resources_.size()), extraLevel(resources_.size()),
        dataOffset(resources_.size());
    std::uint32_t pos = 16 + 8 * static_cast<std::uint32_t>(types.size());
    for (Type& type : types) {
        type.directory = pos;
        pos += 16 + 8 * static_cast<std::uint32_t>(type.names.size());
    }
    for (Type& type : types) {
        for (Name& name : type.names) {
            name.languageDirectory = pos;
            pos += 16 + 8 * static_cast<std::uint32_t>(name.resources.size());
        }
    }
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        if (resources_[i].fault == ResourceFault::FourthLevel) {
            extraLevel[i] = pos;
            pos += 16 + 8;
        }
        dataEntry[i] = pos;
        pos += 16;
    }
    for (Type& type : types) {
        for (Name& name : type.names) {
            if (const auto* text = std::get_if<std::string>(&name.name)) {
                name.string = pos;
                pos += 2 + 2 * static_cast<std::uint32_t>(Utf16Of(*text).size());
            }
        }
    }
    const std::uint32_t directoryEnd = pos;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        pos = AlignUp(pos, 8);
        dataOffset[i] = pos;
        pos += static_cast<std::uint32_t>(resources_[i].data->size());
    }
    const std::uint32_t sectionSize = pos;
    bool pastFile = std::any_of(resources_.begin(), resources_.end(), [](const Resource& r) {
        return r.fault == ResourceFault::DataPastFile;
    });
    const std::uint32_t virtualSize = sectionSize + (pastFile ? kPastFileSize : 0);
    const std::uint32_t rawSize =
        zeroTail_ > 0 ? sectionSize - zeroTail_ : AlignUp(sectionSize, kFileAlignment);
    const std::uint32_t relocRva =
        kResourceRva + AlignUp(std::max(virtualSize, 1u), kSectionAlignment);
    const std::uint32_t relocFileOffset = kResourceFileOffset + AlignUp(rawSize, kFileAlignment);

    // The resource directory.
    ByteBuilder dir;
    auto directoryHeader = [&dir](std::size_t named, std::size_t ids) {
        dir.U32(0).U32(0).U16(4).U16(0);
        dir.U16(static_cast<std::uint16_t>(named)).U16(static_cast<std::uint16_t>(ids));
    };
    directoryHeader(0, types.size());
    for (const Type& type : types) {
        bool loop = type.id == kResourceTypeGroupIcon && fault_ == ModuleFault::GroupTypeLoop;
        dir.U32(type.id).U32(kSubdirectory | (loop ? 0 : type.directory));
    }
    for (const Type& type : types) {
        bool groups = type.id == kResourceTypeGroupIcon;
        std::size_t named = std::count_if(type.names.begin(), type.names.end(), [](const Name& n) {
            return std::holds_alternative<std::string>(n.name);
        });
        std::size_t ids = type.names.size() - named;
        if (groups && fault_ == ModuleFault::GroupCountTooLarge) ids = 0xFFFF;
        directoryHeader(named, ids);
        bool firstId = true;
        for (const Name& name : type.names) {
            std::uint32_t field;
            if (std::holds_alternative<std::string>(name.name)) {
                field = kSubdirectory | name.string;
            } else {
                field = std::get<std::uint16_t>(name.name);
                if (groups && firstId && fault_ == ModuleFault::GroupIdAboveRange) field += 0x10000;
                firstId = false;
            }
            bool loop = resources_[name.resources.front()].fault == ResourceFault::LanguageLoop;
            dir.U32(field).U32(kSubdirectory | (loop ? type.directory : name.languageDirectory));
        }
    }
    for (const Type& type : types) {
        for (const Name& name : type.names) {
            directoryHeader(0, name.resources.size());
            for (std::size_t i : name.resources) {
                bool deeper = resources_[i].fault == ResourceFault::FourthLevel;
                dir.U32(resources_[i].language)
                    .U32(deeper ? kSubdirectory | extraLevel[i] : dataEntry[i]);
            }
        }
    }
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        if (resources_[i].fault == ResourceFault::FourthLevel) {
            directoryHeader(0, 1);
            dir.U32(resources_[i].language).U32(dataEntry[i]);
        }
        std::uint32_t rva = kResourceRva + dataOffset[i];
        auto size = static_cast<std::uint32_t>(resources_[i].data->size());
        switch (resources_[i].fault) {
            case ResourceFault::DataOutsideSections:
                rva = kOutsideEverySection;
                break;
            case ResourceFault::DataPastSection:
                size = virtualSize - dataOffset[i] + 1;
                break;
            case ResourceFault::DataPastFile:
                size = kPastFileSize;
                break;
            default:
                break;
        }
        dir.U32(rva).U32(size).U32(0).U32(0);
    }
    bool firstNamedGroup = true;
    for (const Type& type : types) {
        for (const Name& name : type.names) {
            if (const auto* text = std::get_if<std::string>(&name.name)) {
                auto units = Utf16Of(*text);
                bool pastEnd = type.id == kResourceTypeGroupIcon && firstNamedGroup &&
                               fault_ == ModuleFault::GroupNamePastEnd;
                if (type.id == kResourceTypeGroupIcon) firstNamedGroup = false;
                dir.U16(pastEnd ? 0xFFFF : static_cast<std::uint16_t>(units.size()));
                for (std::uint16_t unit : units) dir.U16(unit);
            }
        }
    }

    if (dir.size() != directoryEnd) return false;  // the layout above and the bytes disagree

    // The headers.
    const bool plus = format_ == PeFormat::Pe32Plus;
    const std::uint16_t optionalSize = plus ? 240 : 224;
    ByteBuilder head;
    head.Text(fault_ == ModuleFault::NoDosMagic ? "MX" : "MZ").PadTo(0x3C);
    head.U32(fault_ == ModuleFault::PeHeaderPastEnd ? 0x7FFFFFF0 : 0x40);
    head.Text(fault_ == ModuleFault::NoPeSignature ? "PX" : "PE").U16(0);
    head.U16(plus ? 0x8664 : 0x14C).U16(3).U32(0).U32(0).U32(0).U16(optionalSize);
    head.U16(plus ? 0x2022 : 0x2102);
    const std::size_t optional = head.size();
    head.PadTo(optional + optionalSize);
    std::uint16_t magic = plus ? 0x20B : 0x10B;
    if (fault_ == ModuleFault::UnknownOptionalMagic) magic = 0x107;
    head.PatchU16(optional, magic);
    head.PatchU32(optional + 32, kSectionAlignment).PatchU32(optional + 36, kFileAlignment);
    head.PatchU32(optional + 56, relocRva + kSectionAlignment).PatchU32(optional + 60, 0x200);
    head.PatchU16(optional + 68, 2);  // GUI subsystem
    const std::size_t countField = optional + (plus ? 108 : 92);
    head.PatchU32(countField, fault_ == ModuleFault::NoResourceTable ? 2 : 16);
    head.PatchU32(countField + 4 + 16, kResourceRva).PatchU32(countField + 4 + 20, sectionSize);
    auto section = [&head](const char* name, std::uint32_t virtualSize, std::uint32_t rva,
                           std::uint32_t raw, std::uint32_t pointer, std::uint32_t flags) {
        std::size_t start = head.size();
        head.Text(name).PadTo(start + 8);
        head.U32(virtualSize).U32(rva).U32(raw).U32(pointer).U32(0).U32(0).U16(0).U16(0);
        head.U32(flags);
    };
    section(".text", 0x10, 0x1000, kFileAlignment, kFileAlignment, 0x60000020);
    section(".rsrc", virtualSize, kResourceRva, rawSize, kResourceFileOffset, 0x40000040);
    section(".reloc", 0x10, relocRva, kFileAlignment, relocFileOffset, 0x42000040);
    head.PadTo(kFileAlignment);
    head.Fill(kFileAlignment, 0xCC);  // .text

    // The file: headers, then the section's raw bytes up to its end in the file.
    const std::uint32_t sectionInFile =
        fault_ == ModuleFault::TruncatedSection ? sectionSize - 16 : std::min(rawSize, sectionSize);
    std::uint32_t written = 0;
    auto sectionBytes = [&](std::span<const std::uint8_t> bytes) {
        std::size_t take = std::min<std::size_t>(bytes.size(), sectionInFile - written);
        written += static_cast<std::uint32_t>(take);
        return take == 0 || sink(bytes.first(take));
    };
    static const std::uint8_t kZeros[8] = {};
    if (!sink(std::span<const std::uint8_t>(head.bytes())) || !sectionBytes(dir.bytes()))
        return false;
    std::uint32_t at = static_cast<std::uint32_t>(dir.size());
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        if (!sectionBytes({kZeros, dataOffset[i] - at})) return false;
        if (!sectionBytes(*resources_[i].data)) return false;
        at = dataOffset[i] + static_cast<std::uint32_t>(resources_[i].data->size());
    }
    if (fault_ == ModuleFault::TruncatedSection) return true;
    ByteBuilder rest;
    // Past a short raw size the file holds bytes that are not the section's: they must not be
    // read in place of its zeros.
    rest.Fill(AlignUp(rawSize, kFileAlignment) - written, zeroTail_ > 0 ? 0xEE : 0);
    rest.Fill(kFileAlignment, 0x5A);  // .reloc
    return sink(std::span<const std::uint8_t>(rest.bytes()));
}

ByteBuffer PeBuilder::Build() const {
    ByteBuffer out;
    bool ok = Emit([&out](std::span<const std::uint8_t> bytes) {
        out.insert(out.end(), bytes.begin(), bytes.end());
        return true;
    });
    if (!ok) out.clear();
    return out;
}

bool PeBuilder::WriteTo(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = Emit([file](std::span<const std::uint8_t> bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
    return std::fclose(file) == 0 && ok;
}

}  // namespace tavrin::testing
