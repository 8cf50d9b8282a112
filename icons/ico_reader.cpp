#include <array>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "icons/ico_file.h"
#include "platform/byte_reader.h"

namespace tavrin {
namespace {

constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;

struct ImageExtent {
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

}  // namespace

std::int32_t ReadIcoHeader(const ReadOnlyFile& file) {
    std::array<std::uint8_t, kIcoHeaderSize> bytes{};
    if (!file.ReadAt(0, bytes)) return -1;
    ByteReader reader(bytes);
    auto reserved = reader.U16();
    auto type = reader.U16();
    auto count = reader.U16();
    // idType 2 is a cursor file; anything else is not an icon file at all.
    if (!reserved || *reserved != 0 || !type || *type != 1 || !count) return -1;
    return *count;
}

namespace {

IconGroupPtr ReadGroup(const std::string& path) {
    auto file = ReadOnlyFile::Open(path);
    if (!file) return nullptr;
    std::int32_t count = ReadIcoHeader(*file);
    if (count < 0) return nullptr;

    // The directory, checked against the file's size before anything is allocated for it.
    std::uint64_t directorySize = kIcoEntrySize * std::uint64_t(count);
    if (directorySize > file->size() - kIcoHeaderSize) return nullptr;
    std::vector<std::uint8_t> directory(static_cast<std::size_t>(directorySize));
    if (!file->ReadAt(kIcoHeaderSize, directory)) return nullptr;

    // Every image must lie wholly inside the file. Entries may name the same bytes, and each gets
    // its own copy; the whole group must still fit an icon file's 32-bit offsets when written back,
    // which also bounds what a small file can make the reader allocate.
    std::vector<ImageExtent> extents;
    extents.reserve(static_cast<std::size_t>(count));
    std::uint64_t total = kIcoHeaderSize + directorySize;
    ByteReader reader(directory);
    for (std::int32_t i = 0; i < count; ++i) {
        reader.Skip(8);  // bWidth … wBitCount: the images' own headers decide those
        ImageExtent extent{*reader.U32(), *reader.U32()};
        if (extent.offset > file->size() || extent.size > file->size() - extent.offset) {
            return nullptr;
        }
        total += extent.size;
        extents.push_back(extent);
    }
    if (total > std::numeric_limits<std::uint32_t>::max()) return nullptr;

    auto group = std::make_unique<IconGroup>();
    group->iconFilePath = path;
    group->imageCount = static_cast<std::uint32_t>(count);
    group->images.resize(extents.size());
    for (std::size_t i = 0; i < extents.size(); ++i) {
        IconImage& image = group->images[i];
        image.data = std::make_unique_for_overwrite<std::uint8_t[]>(extents[i].size);
        image.dataSize = extents[i].size;
        if (!file->ReadAt(extents[i].offset, {image.data.get(), image.dataSize})) return nullptr;
        DeriveImageLayout(image);
    }
    return group;
}

}  // namespace

IconGroupPtr ReadIcoFile(const std::string& path) {
    try {
        return ReadGroup(path);
    } catch (const std::bad_alloc&) {
        return nullptr;  // whatever was allocated so far has been released on the way out
    }
}

}  // namespace tavrin
