#include "platform/pe_resources.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/files.h"
#include "platform/utf16.h"

namespace tavrin {
namespace {

// Headers and section table almost always lie in the first page.
constexpr std::size_t kHeadSize = 4096;
// Directory reads are small and come in clusters (the language directories of neighbouring
// names, then their data entries): they go through a few cached pages, one system call per page.
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kCachedPages = 8;

constexpr std::uint16_t kOptionalMagicPe32 = 0x10B;
constexpr std::uint16_t kOptionalMagicPe32Plus = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kResourceTableIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct Section {
    std::uint32_t virtualAddress = 0;
    // Bytes the section spans in memory: VirtualSize, or SizeOfRawData where that is 0.
    std::uint32_t extent = 0;
    // Bytes of the section that the file holds; the rest of the extent reads as zeros.
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
};

struct DirectoryEntry {
    std::uint32_t name = 0;    // high bit: offset of a name string; else an integer id
    std::uint32_t target = 0;  // high bit: offset of a subdirectory; else of a data entry
};

// A directory's entries as stored, decoded one at a time when asked for.
struct Directory {
    std::uint32_t offset = 0;
    std::size_t named = 0;  // NumberOfNamedEntries: the entries before the ids
    std::vector<std::uint8_t> entries;

    std::size_t size() const { return entries.size() / kDirectoryEntrySize; }
    // The name field alone, for walks that do not follow the entries.
    std::uint32_t NameAt(std::size_t i) const {
        return *ReadU32At(entries, i * kDirectoryEntrySize);
    }
    DirectoryEntry operator[](std::size_t i) const {
        return {*ReadU32At(entries, i * kDirectoryEntrySize),
                *ReadU32At(entries, i * kDirectoryEntrySize + 4)};
    }
};

// The entry of an integer id. The format stores ids after the named entries in ascending order,
// and the search relies on that as the system's loader does: it stays logarithmic however many
// times a hostile group names an icon.
std::optional<DirectoryEntry> FindId(const Directory& directory, std::uint16_t id) {
    std::size_t low = std::min(directory.named, directory.size());
    std::size_t high = directory.size();
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        if (directory[middle].name < id) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < directory.size() && directory[low].name == id) return directory[low];
    return std::nullopt;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

class PeModule final : public ResourceModule {
  public:
    PeModule(ReadOnlyFile file, std::vector<Section> sections, std::uint32_t resourceRva)
        : file_(std::move(file)), sections_(std::move(sections)), resourceRva_(resourceRva) {}

    std::uint64_t fileSize() const override { return file_.size(); }

    bool EnumResourceNames(
        std::uint16_t type,
        const std::function<bool(const ResourceName&)>& callback) const override {
        return Walk(type, true, callback);
    }

    std::uint32_t CountResourceNames(std::uint16_t type) const override {
        std::uint32_t count = 0;
        bool complete = Walk(type, false, [&count](const ResourceName&) {
            ++count;
            return true;
        });
        return complete ? count : 0;
    }

    std::optional<ResourceLocation> FindResource(const ResourceName& name,
                                                 std::uint16_t type) const override;

    bool LoadResource(const ResourceLocation& location, std::uint8_t* out) const override {
        if (location.zeroTail > location.size) return false;
        std::uint32_t fromFile = location.size - location.zeroTail;
        if (fromFile > 0 && !file_.ReadAt(location.fileOffset, {out, fromFile})) return false;
        // An empty resource may come with no buffer at all.
        if (location.zeroTail > 0) std::memset(out + fromFile, 0, location.zeroTail);
        return true;
    }

  private:
    std::optional<ResourceLocation> MapRva(std::uint32_t rva, std::uint64_t size) const;
    bool ReadRva(std::uint64_t rva, std::span<std::uint8_t> out) const;
    bool ReadResourceBytes(std::uint64_t offset, std::span<std::uint8_t> out) const {
        return ReadRva(std::uint64_t{resourceRva_} + offset, out);
    }
    // Whether size bytes at that offset from the directory's start could be read; checked
    // before anything is allocated for them.
    bool HoldsResourceBytes(std::uint64_t offset, std::uint64_t size) const {
        std::uint64_t rva = std::uint64_t{resourceRva_} + offset;
        return rva <= 0xFFFFFFFFu && size <= file_.size() &&
               MapRva(static_cast<std::uint32_t>(rva), size).has_value();
    }
    bool ReadFileCached(std::uint64_t offset, std::span<std::uint8_t> out) const;
    std::optional<Directory> ReadDirectory(std::uint32_t offset) const;
    const Directory* NamesOfType(std::uint16_t type) const;
    std::optional<std::uint16_t> NameLength(std::uint32_t nameField) const;
    std::optional<std::string> NameText(std::uint32_t nameField) const;
    bool Walk(std::uint16_t type, bool withTexts,
              const std::function<bool(const ResourceName&)>& callback) const;

    ReadOnlyFile file_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;  // 0: the module has no resource directory

    // Caches of this open module only: the root's entries, the name directories of the types
    // asked for, and the pages last read for the directory.
    mutable std::optional<Directory> root_;
    mutable bool rootFailed_ = false;
    mutable std::vector<std::pair<std::uint16_t, std::optional<Directory>>> types_;
    struct Page {
        std::uint64_t start = 0;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> bytes;
    };
    mutable std::vector<Page> pages_;
    mutable std::uint64_t uses_ = 0;
};

std::optional<ResourceLocation> PeModule::MapRva(std::uint32_t rva, std::uint64_t size) const {
    for (const Section& section : sections_) {
        if (rva < section.virtualAddress) continue;
        std::uint64_t offset = rva - section.virtualAddress;
        if (offset >= section.extent && !(offset == section.extent && size == 0)) continue;
        // The first section that holds the start decides; a range running past it is refused.
        if (size > section.extent - offset) return std::nullopt;
        std::uint64_t raw = std::min(section.rawSize, section.extent);
        std::uint64_t fromFile = offset < raw ? std::min(size, raw - offset) : 0;
        ResourceLocation location;
        location.size = static_cast<std::uint32_t>(size);
        location.zeroTail = static_cast<std::uint32_t>(size - fromFile);
        if (fromFile > 0) {
            location.fileOffset = std::uint64_t{section.rawPointer} + offset;
            if (location.fileOffset > file_.size() ||
                fromFile > file_.size() - location.fileOffset) {
                return std::nullopt;
            }
        }
        return location;
    }
    return std::nullopt;
}

bool PeModule::ReadRva(std::uint64_t rva, std::span<std::uint8_t> out) const {
    // No read of the directory is larger than the file itself, zero tails or not.
    if (rva > 0xFFFFFFFFu || out.size() > file_.size()) return false;
    auto location = MapRva(static_cast<std::uint32_t>(rva), out.size());
    if (!location) return false;
    std::size_t fromFile = out.size() - location->zeroTail;
    if (fromFile > 0 && !ReadFileCached(location->fileOffset, out.first(fromFile))) return false;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(fromFile), out.end(), 0);
    return true;
}

bool PeModule::ReadFileCached(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (out.size() > kPageSize) return file_.ReadAt(offset, out);
    if (offset > file_.size() || out.size() > file_.size() - offset) return false;
    Page* page = nullptr;
    for (Page& cached : pages_) {
        if (offset >= cached.start && offset - cached.start <= cached.bytes.size() &&
            out.size() <= cached.bytes.size() - (offset - cached.start)) {
            page = &cached;
            break;
        }
    }
    if (page == nullptr) {
        if (pages_.size() < kCachedPages) {
            page = &pages_.emplace_back();
        } else {
            page = &*std::min_element(
                pages_.begin(), pages_.end(),
                [](const Page& a, const Page& b) { return a.lastUse < b.lastUse; });
        }
        // Page-aligned, unless the bytes would straddle two pages.
        std::uint64_t start = offset - offset % kPageSize;
        if (offset + out.size() > start + kPageSize) start = offset;
        page->start = start;
        page->bytes.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(kPageSize, file_.size() - start)));
        if (!file_.ReadAt(start, page->bytes)) {
            page->bytes.clear();
            return false;
        }
    }
    page->lastUse = ++uses_;
    std::memcpy(out.data(), page->bytes.data() + (offset - page->start), out.size());
    return true;
}

std::optional<Directory> PeModule::ReadDirectory(std::uint32_t offset) const {
    std::uint8_t header[kDirectoryHeaderSize];
    if (!ReadResourceBytes(offset, header)) return std::nullopt;
    Directory directory;
    directory.offset = offset;
    directory.named = *ReadU16At(header, 12);
    std::size_t count = directory.named + *ReadU16At(header, 14);
    // A count that cannot fit in the section fails here, before anything is allocated for it.
    std::uint64_t first = std::uint64_t{offset} + kDirectoryHeaderSize;
    if (!HoldsResourceBytes(first, count * kDirectoryEntrySize)) return std::nullopt;
    directory.entries.resize(count * kDirectoryEntrySize);
    if (!ReadResourceBytes(first, directory.entries)) return std::nullopt;
    return directory;
}

const Directory* PeModule::NamesOfType(std::uint16_t type) const {
    for (const auto& [cachedType, directory] : types_) {
        if (cachedType == type) return directory ? &*directory : nullptr;
    }
    if (resourceRva_ == 0 || rootFailed_) return nullptr;
    if (!root_) {
        root_ = ReadDirectory(0);
        if (!root_) {
            rootFailed_ = true;
            return nullptr;
        }
    }
    std::optional<Directory> found;
    for (std::size_t i = 0; i < root_->size(); ++i) {
        DirectoryEntry entry = (*root_)[i];
        if (entry.name != type) continue;
        std::uint32_t offset = entry.target & ~kHighBit;
        // A type must lead to a directory of names, and not back to the root.
        if ((entry.target & kHighBit) != 0 && offset != 0) found = ReadDirectory(offset);
        break;
    }
    types_.emplace_back(type, std::move(found));
    return types_.back().second ? &*types_.back().second : nullptr;
}

std::optional<std::uint16_t> PeModule::NameLength(std::uint32_t nameField) const {
    std::uint8_t length[2];
    if (!ReadResourceBytes(nameField & ~kHighBit, length)) return std::nullopt;
    return ReadU16At(length, 0);
}

std::optional<std::string> PeModule::NameText(std::uint32_t nameField) const {
    auto length = NameLength(nameField);
    if (!length) return std::nullopt;
    std::uint64_t first = std::uint64_t{nameField & ~kHighBit} + 2;
    if (!HoldsResourceBytes(first, std::uint64_t{*length} * 2)) return std::nullopt;
    std::vector<std::uint8_t> units(std::size_t{*length} * 2);
    if (!ReadResourceBytes(first, units)) return std::nullopt;
    return Utf16ToUtf8(units);
}

bool PeModule::Walk(std::uint16_t type, bool withTexts,
                    const std::function<bool(const ResourceName&)>& callback) const {
    const Directory* names = NamesOfType(type);
    if (names == nullptr || names->size() == 0) return false;
    for (std::size_t i = 0; i < names->size(); ++i) {
        const std::uint32_t field = names->NameAt(i);
        ResourceName name;
        if ((field & kHighBit) != 0) {
            if (withTexts) {
                auto text = NameText(field);
                if (!text) return false;
                name = std::move(*text);
            } else {
                // The count checks what the enumeration checks: the whole name is there.
                auto length = NameLength(field);
                if (!length ||
                    !HoldsResourceBytes(field & ~kHighBit, 2 + std::uint64_t{*length} * 2)) {
                    return false;
                }
                name = std::string();
            }
        } else if (field > 0xFFFF) {
            return false;  // an id that no caller could ask for
        } else {
            name = static_cast<std::uint16_t>(field);
        }
        if (!callback(name)) return false;
    }
    return true;
}

std::optional<ResourceLocation> PeModule::FindResource(const ResourceName& name,
                                                       std::uint16_t type) const {
    const Directory* names = NamesOfType(type);
    if (names == nullptr) return std::nullopt;

    std::optional<DirectoryEntry> match;
    if (const auto* id = std::get_if<std::uint16_t>(&name)) {
        match = FindId(*names, *id);
    } else {
        const std::string& wanted = std::get<std::string>(name);
        for (std::size_t i = 0; i < names->size() && !match; ++i) {
            DirectoryEntry entry = (*names)[i];
            if ((entry.name & kHighBit) == 0) continue;
            auto length = NameLength(entry.name);
            if (!length) continue;
            // Each UTF-16 unit becomes one to three UTF-8 bytes.
            if (wanted.size() < *length || wanted.size() > std::size_t{*length} * 3) continue;
            auto text = NameText(entry.name);
            if (text && EqualIgnoringAsciiCase(*text, wanted)) match = entry;
        }
    }
    if (!match || (match->target & kHighBit) == 0) return std::nullopt;

    // The language level: its first entry, which must be data, not a fourth level.
    std::uint32_t languages = match->target & ~kHighBit;
    if (languages == 0 || languages == names->offset) return std::nullopt;  // a loop
    std::uint8_t directory[kDirectoryHeaderSize + kDirectoryEntrySize];
    if (!ReadResourceBytes(languages, directory)) return std::nullopt;
    ByteReader reader(directory);
    reader.Seek(12);
    if (*reader.U16() == 0 && *reader.U16() == 0) return std::nullopt;
    reader.Seek(kDirectoryHeaderSize + 4);
    std::uint32_t dataEntry = *reader.U32();
    if ((dataEntry & kHighBit) != 0) return std::nullopt;

    std::uint8_t data[kDataEntrySize];
    if (!ReadResourceBytes(dataEntry, data)) return std::nullopt;
    std::uint32_t rva = *ReadU32At(data, 0);
    std::uint32_t size = *ReadU32At(data, 4);
    if (size > file_.size()) return std::nullopt;
    return MapRva(rva, size);
}

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Open(const std::string& path) {
    auto file = ReadOnlyFile::Open(path);
    if (!file) return nullptr;

    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(kHeadSize, file->size())));
    if (!file->ReadAt(0, head)) return nullptr;
    // A piece of the headers: from the first page when it lies there, else read on its own into
    // `extra`, so each piece is used up before the next one is fetched.
    std::vector<std::uint8_t> extra;
    auto fetch = [&](std::uint64_t offset,
                     std::size_t size) -> std::optional<std::span<const std::uint8_t>> {
        if (offset <= head.size() && size <= head.size() - offset) {
            return std::span<const std::uint8_t>(head).subspan(offset, size);
        }
        if (offset > file->size() || size > file->size() - offset) return std::nullopt;
        extra.resize(size);
        if (!file->ReadAt(offset, extra)) return std::nullopt;
        return std::span<const std::uint8_t>(extra);
    };

    ByteReader dos(head);
    if (dos.U16() != 0x5A4D || !dos.Seek(0x3C)) return nullptr;  // "MZ"
    auto peOffset = dos.U32();
    if (!peOffset) return nullptr;

    auto pe = fetch(*peOffset, 4 + kFileHeaderSize);
    if (!pe) return nullptr;
    ByteReader fileHeader(*pe);
    if (fileHeader.U32() != 0x00004550) return nullptr;  // "PE\0\0"
    fileHeader.Seek(4 + 2);
    std::uint16_t sectionCount = *fileHeader.U16();
    fileHeader.Seek(4 + 16);
    std::uint16_t optionalSize = *fileHeader.U16();

    std::uint64_t optionalOffset = std::uint64_t{*peOffset} + 4 + kFileHeaderSize;
    auto optional = fetch(optionalOffset, optionalSize);
    if (!optional) return nullptr;
    auto magic = ReadU16At(*optional, 0);
    std::size_t countField = 0;
    if (magic == kOptionalMagicPe32) {
        countField = 92;
    } else if (magic == kOptionalMagicPe32Plus) {
        countField = 108;
    } else {
        return nullptr;
    }
    std::uint32_t resourceRva = 0;
    auto directoryCount = ReadU32At(*optional, countField);
    if (directoryCount && *directoryCount > kResourceTableIndex) {
        // The data directories follow their count; a header too short to hold the resource
        // table's entry has no resources.
        resourceRva = ReadU32At(*optional, countField + 4 + 8 * kResourceTableIndex).value_or(0);
    }

    auto table =
        fetch(optionalOffset + optionalSize, std::size_t{sectionCount} * kSectionHeaderSize);
    if (!table) return nullptr;
    std::vector<Section> sections(sectionCount);
    ByteReader reader(*table);
    for (Section& section : sections) {
        reader.Skip(8);  // name
        std::uint32_t virtualSize = *reader.U32();
        section.virtualAddress = *reader.U32();
        section.rawSize = *reader.U32();
        section.rawPointer = *reader.U32();
        section.extent = virtualSize != 0 ? virtualSize : section.rawSize;
        reader.Skip(kSectionHeaderSize - 24);
    }
    return std::make_unique<PeModule>(std::move(*file), std::move(sections), resourceRva);
}

}  // namespace tavrin
