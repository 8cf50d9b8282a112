#include "lnk_builder.h"

#include <utility>

#include "byte_builder.h"

namespace tavrin::testing {
namespace {

void AppendWide(ByteBuilder& out, const std::u16string& text) {
    for (char16_t unit : text) out.U16(unit);
    out.U16(0);
}

ByteBuffer Item(std::uint8_t type, const ByteBuffer& body) {
    ByteBuilder item;
    item.U16(static_cast<std::uint16_t>(3 + body.size())).U8(type).Bytes(body);
    return item.Take();
}

}  // namespace

ByteBuffer ComputerItem() {
    // Sort index, then the folder's class identifier 20D04FE0-3AEA-1069-A2D8-08002B30309D.
    return Item(0x1F, {0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00,
                       0x2B, 0x30, 0x30, 0x9D});
}

ByteBuffer DriveItem(const std::string& drive) {
    ByteBuilder body;
    body.Text(drive).PadTo(22);
    return Item(0x2F, body.Take());
}

ByteBuffer FileItem(const std::string& primaryName, bool directory,
                    const std::optional<std::u16string>& longName, std::uint16_t extensionVersion) {
    ByteBuilder body;
    body.U8(0).U32(0).U32(0x39692C39).U16(directory ? 0x10 : 0x20).Text(primaryName).U8(0);
    if (body.size() % 2 == 0) body.U8(0);  // the item (with its 3-byte start) stays even
    if (longName) {
        const std::size_t blockStart = 3 + body.size();
        ByteBuilder block;
        block.U16(0).U16(extensionVersion).U32(0xBEEF0004).U32(0).U32(0).U16(0x2E);
        if (extensionVersion >= 7) block.U16(0).U64(0).U64(0);
        if (extensionVersion >= 3) block.U16(0);
        if (extensionVersion >= 9) block.U32(0);
        if (extensionVersion >= 8) block.U32(0);
        AppendWide(block, *longName);
        block.U16(static_cast<std::uint16_t>(blockStart));
        block.PatchU16(0, static_cast<std::uint16_t>(block.size()));
        body.Bytes(block.bytes());
    }
    return Item(directory ? 0x31 : 0x32, body.Take());
}

ByteBuffer OtherItem() {
    return Item(0x71, {0x00, 0x00, 0x00, 0x00});
}

LinkInfoBuilder& LinkInfoBuilder::Base(std::string path) {
    base_ = std::move(path);
    return *this;
}
LinkInfoBuilder& LinkInfoBuilder::Suffix(std::string suffix) {
    suffix_ = std::move(suffix);
    return *this;
}
LinkInfoBuilder& LinkInfoBuilder::UnicodeBase(std::u16string path) {
    unicodeBase_ = std::move(path);
    return *this;
}
LinkInfoBuilder& LinkInfoBuilder::UnicodeSuffix(std::u16string suffix) {
    unicodeSuffix_ = std::move(suffix);
    return *this;
}
LinkInfoBuilder& LinkInfoBuilder::Network(std::string name) {
    network_ = std::move(name);
    return *this;
}

ByteBuffer LinkInfoBuilder::Build() const {
    const bool wide = unicodeBase_ || unicodeSuffix_;
    const std::uint32_t headerSize = wide ? 0x24 : 0x1C;
    std::uint32_t flags = 0;
    if (base_ || unicodeBase_) flags |= 0x1;
    if (network_) flags |= 0x2;

    // The variable part: a volume ID, the strings, and the network link, each at its offset.
    ByteBuilder tail;
    auto offset = [&] { return static_cast<std::uint32_t>(headerSize + tail.size()); };
    std::uint32_t volumeOffset = 0, baseOffset = 0, networkOffset = 0, suffixOffset = 0;
    std::uint32_t baseWideOffset = 0, suffixWideOffset = 0;
    if (flags & 0x1) {
        volumeOffset = offset();
        tail.U32(0x11).U32(3).U32(0x12345678).U32(0x10).U8(0);  // fixed drive, empty label
        baseOffset = offset();
        tail.Text(base_.value_or("")).U8(0);
    }
    if (network_) {
        networkOffset = offset();
        ByteBuilder network;
        network.U32(0).U32(0).U32(0x14).U32(0).U32(0).Text(*network_).U8(0);
        network.PatchU32(0, static_cast<std::uint32_t>(network.size()));
        tail.Bytes(network.bytes());
    }
    suffixOffset = offset();
    tail.Text(suffix_).U8(0);
    if (unicodeBase_) {
        baseWideOffset = offset();
        AppendWide(tail, *unicodeBase_);
    }
    if (unicodeSuffix_) {
        suffixWideOffset = offset();
        AppendWide(tail, *unicodeSuffix_);
    }

    ByteBuilder info;
    info.U32(headerSize + static_cast<std::uint32_t>(tail.size())).U32(headerSize).U32(flags);
    info.U32(volumeOffset).U32(baseOffset).U32(networkOffset).U32(suffixOffset);
    if (wide) info.U32(baseWideOffset).U32(suffixWideOffset);
    info.Bytes(tail.bytes());
    return info.Take();
}

ShortcutBuilder& ShortcutBuilder::IdList(std::vector<ByteBuffer> items) {
    idList_ = std::move(items);
    return *this;
}
ShortcutBuilder& ShortcutBuilder::LinkInfo(ByteBuffer info) {
    linkInfo_ = std::move(info);
    return *this;
}
ShortcutBuilder& ShortcutBuilder::ExtraFlags(std::uint32_t flags) {
    extraFlags_ = flags;
    return *this;
}

ByteBuffer ShortcutBuilder::Build() const {
    std::uint32_t flags = extraFlags_;
    if (idList_) flags |= 0x1;
    if (linkInfo_) flags |= 0x2;
    ByteBuilder file;
    file.U32(0x4C)
        .Bytes({0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x00, 0x46})
        .U32(flags)
        .U32(0x20)  // FileAttributes: archive
        .U64(0)     // CreationTime
        .U64(0)     // AccessTime
        .U64(0)     // WriteTime
        .U32(0)     // FileSize
        .I32(0)     // IconIndex
        .U32(1)     // ShowCommand: normal
        .U16(0)     // HotKey
        .U16(0)     // Reserved1
        .U32(0)     // Reserved2
        .U32(0);    // Reserved3
    if (idList_) {
        ByteBuilder list;
        for (const auto& item : *idList_) list.Bytes(item);
        list.U16(0);
        file.U16(static_cast<std::uint16_t>(list.size())).Bytes(list.bytes());
    }
    if (linkInfo_) file.Bytes(*linkInfo_);
    file.U32(0);  // an empty extra-data list
    return file.Take();
}

ByteBuffer ShortcutToLocalPath(const std::string& path) {
    return ShortcutBuilder().LinkInfo(LinkInfoBuilder().Base(path).Build()).Build();
}

}  // namespace tavrin::testing
