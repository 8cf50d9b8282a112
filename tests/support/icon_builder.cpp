#include "support/icon_builder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

#include "support/byte_builder.h"

namespace tavrin::testing {
namespace {

std::size_t Padded4(std::uint64_t bits) {
    return static_cast<std::size_t>((bits + 31) / 32 * 4);
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of stored (uncompressed) deflate blocks holding `raw`.
ByteBuffer StoredZlib(std::span<const std::uint8_t> raw) {
    ByteBuilder out;
    out.U8(0x78).U8(0x01);
    std::size_t done = 0;
    do {
        std::size_t length = std::min<std::size_t>(raw.size() - done, 65535);
        bool last = done + length == raw.size();
        out.U8(last ? 1 : 0);
        out.U16(static_cast<std::uint16_t>(length)).U16(static_cast<std::uint16_t>(~length));
        out.Bytes(raw.subspan(done, length));
        done += length;
    } while (done < raw.size());
    std::uint32_t adler = Adler32(raw);
    // The checksum is stored big-endian.
    out.U8(adler >> 24).U8((adler >> 16) & 0xFF).U8((adler >> 8) & 0xFF).U8(adler & 0xFF);
    return out.Take();
}

void BigEndian32(ByteBuilder& out, std::uint32_t value) {
    out.U8(value >> 24).U8((value >> 16) & 0xFF).U8((value >> 8) & 0xFF).U8(value & 0xFF);
}

void Chunk(ByteBuilder& out, std::string_view type, std::span<const std::uint8_t> body) {
    BigEndian32(out, static_cast<std::uint32_t>(body.size()));
    ByteBuilder typed;
    typed.Text(type).Bytes(body);
    out.Bytes(typed.bytes());
    BigEndian32(out, Crc32(typed.bytes()));
}

std::uint32_t Channels(std::uint8_t colorType) {
    switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

std::uint32_t BigEndianAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

std::uint32_t LittleEndianAt(std::span<const std::uint8_t> bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
    return value;
}

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The first six directory fields an image implies.
IcoEntryFields ImpliedFields(std::span<const std::uint8_t> image) {
    IcoEntryFields fields;
    if (image.size() >= 24 &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), image.begin())) {
        fields.width = BigEndianAt(image, 16) & 0xFF;
        fields.height = BigEndianAt(image, 20) & 0xFF;
        fields.planes = 1;
        if (image.size() >= 26) fields.bitCount = image[24] * Channels(image[25]);
        return fields;
    }
    if (image.size() < 40) return fields;
    std::uint32_t width = LittleEndianAt(image, 4, 4);
    auto biHeight = static_cast<std::int32_t>(LittleEndianAt(image, 8, 4));
    fields.width = width & 0xFF;
    fields.height = static_cast<std::uint32_t>(biHeight / 2) & 0xFF;
    fields.planes = static_cast<std::uint16_t>(LittleEndianAt(image, 12, 2));
    fields.bitCount = static_cast<std::uint16_t>(LittleEndianAt(image, 14, 2));
    std::uint32_t depth = std::uint32_t{fields.planes} * fields.bitCount;
    fields.colorCount = depth < 8 ? static_cast<std::uint8_t>(1u << depth) : 0;
    return fields;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

DibLayout DibLayoutOf(const DibSpec& shape) {
    std::uint32_t entries = 0;
    if (shape.colorEntries) {
        entries = *shape.colorEntries;
    } else if (shape.clrUsed != 0) {
        entries = shape.clrUsed;
    } else if (shape.bitCount == 1 || shape.bitCount == 4 || shape.bitCount == 8) {
        entries = 1u << shape.bitCount;
    }
    DibLayout layout;
    std::uint64_t width = shape.width < 0 ? 0 : static_cast<std::uint64_t>(shape.width);
    std::uint64_t rows = shape.height < 0 ? 0 : static_cast<std::uint64_t>(shape.height);
    layout.colorTableSize = std::size_t{entries} * 4;
    layout.xorStride = Padded4(width * shape.bitCount * shape.planes);
    layout.andStride = Padded4(width);
    layout.xorOffset = shape.headerSize + layout.colorTableSize;
    layout.andOffset = layout.xorOffset + layout.xorStride * rows;
    layout.totalSize = layout.andOffset + layout.andStride * rows;
    return layout;
}

ByteBuffer BuildDibImage(const DibSpec& shape) {
    if (shape.headerSize < 40) throw std::invalid_argument("a BITMAPINFOHEADER has 40 bytes");
    DibLayout layout = DibLayoutOf(shape);
    ByteBuilder out;
    out.U32(shape.headerSize)
        .I32(shape.width)
        .I32(shape.biHeight.value_or(shape.height * 2))
        .U16(shape.planes)
        .U16(shape.bitCount)
        .U32(0)  // biCompression: BI_RGB
        .U32(shape.sizeImage)
        .U32(0)  // biXPelsPerMeter
        .U32(0)  // biYPelsPerMeter
        .U32(shape.clrUsed)
        .U32(0)  // biClrImportant
        .PadTo(shape.headerSize);
    for (std::size_t i = 0; out.size() < layout.totalSize; ++i) {
        out.U8(static_cast<std::uint8_t>(shape.fill + i));
    }
    return out.Take();
}

ByteBuffer BuildPngImage(const PngSpec& shape) {
    ByteBuilder out;
    out.Bytes(kPngSignature);

    ByteBuilder header;
    BigEndian32(header, shape.width);
    BigEndian32(header, shape.height);
    header.U8(shape.bitDepth).U8(shape.colorType).U8(0).U8(0).U8(0);
    Chunk(out, "IHDR", header.bytes());

    if (shape.colorType == 3) {
        ByteBuilder palette;
        for (int i = 0; i < (1 << std::min<int>(shape.bitDepth, 8)); ++i) {
            palette.U8(static_cast<std::uint8_t>(i))
                .U8(shape.fill)
                .U8(static_cast<std::uint8_t>(255 - i));
        }
        Chunk(out, "PLTE", palette.bytes());
    }
    if (shape.padding > 0) {
        ByteBuilder text;
        text.Text("Comment").U8(0);
        for (std::size_t i = 0; i < shape.padding; ++i) text.U8('a' + (shape.fill + i) % 26);
        Chunk(out, "tEXt", text.bytes());
    }

    ByteBuffer raw;
    if (shape.pixels) {
        std::uint64_t rowBits =
            std::uint64_t{shape.width} * shape.bitDepth * Channels(shape.colorType);
        std::size_t rowBytes = static_cast<std::size_t>((rowBits + 7) / 8);
        for (std::uint32_t y = 0; y < shape.height; ++y) {
            raw.push_back(0);  // filter type None
            for (std::size_t x = 0; x < rowBytes; ++x) {
                raw.push_back(static_cast<std::uint8_t>(shape.fill + x + y));
            }
        }
    }
    Chunk(out, "IDAT", StoredZlib(raw));
    Chunk(out, "IEND", {});
    return out.Take();
}

ByteBuffer BuildIcoFile(const IcoSpec& shape) {
    std::size_t entryCount = shape.images.size() + shape.extraEntries.size();
    ByteBuilder out;
    out.U16(shape.reserved)
        .U16(shape.type)
        .U16(shape.count.value_or(static_cast<std::uint16_t>(shape.images.size())));
    std::size_t offset = 6 + 16 * entryCount;
    for (std::size_t i = 0; i < entryCount; ++i) {
        IcoEntry entry;
        IcoEntryFields fields;
        if (i < shape.images.size()) {
            const ByteBuffer& image = shape.images[i];
            fields = ImpliedFields(image);
            fields.bytesInRes = static_cast<std::uint32_t>(image.size());
            fields.imageOffset = static_cast<std::uint32_t>(offset);
            offset += image.size();
            if (i < shape.entries.size()) entry = shape.entries[i];
        } else {
            entry = shape.extraEntries[i - shape.images.size()];
        }
        out.U8(entry.width.value_or(fields.width))
            .U8(entry.height.value_or(fields.height))
            .U8(entry.colorCount.value_or(fields.colorCount))
            .U8(entry.reserved.value_or(fields.reserved))
            .U16(entry.planes.value_or(fields.planes))
            .U16(entry.bitCount.value_or(fields.bitCount))
            .U32(entry.bytesInRes.value_or(fields.bytesInRes))
            .U32(entry.imageOffset.value_or(fields.imageOffset));
    }
    for (const ByteBuffer& image : shape.images) out.Bytes(image);
    ByteBuffer file = out.Take();
    if (shape.truncateTo && *shape.truncateTo < file.size()) file.resize(*shape.truncateTo);
    return file;
}

IcoEntryFields IcoEntryAt(std::span<const std::uint8_t> file, std::size_t index) {
    std::size_t at = 6 + 16 * index;
    if (file.size() < at + 16) throw std::out_of_range("the file has no such directory entry");
    IcoEntryFields entry;
    entry.width = file[at];
    entry.height = file[at + 1];
    entry.colorCount = file[at + 2];
    entry.reserved = file[at + 3];
    entry.planes = static_cast<std::uint16_t>(LittleEndianAt(file, at + 4, 2));
    entry.bitCount = static_cast<std::uint16_t>(LittleEndianAt(file, at + 6, 2));
    entry.bytesInRes = LittleEndianAt(file, at + 8, 4);
    entry.imageOffset = LittleEndianAt(file, at + 12, 4);
    return entry;
}

IconImage ImageFromBytes(std::span<const std::uint8_t> bytes) {
    IconImage image;
    image.data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), image.data.get());
    image.dataSize = static_cast<std::uint32_t>(bytes.size());
    DeriveImageLayout(image);
    return image;
}

IconGroup GroupFromImages(const std::vector<ByteBuffer>& images) {
    IconGroup group;
    for (const ByteBuffer& bytes : images) group.images.push_back(ImageFromBytes(bytes));
    group.imageCount = static_cast<std::uint32_t>(group.images.size());
    return group;
}

std::ostream& operator<<(std::ostream& out, const IcoEntryFields& entry) {
    return out << '(' << int{entry.width} << ", " << int{entry.height} << ", "
               << int{entry.colorCount} << ", " << int{entry.reserved} << ", " << entry.planes
               << ", " << entry.bitCount << ", " << entry.bytesInRes << ", " << entry.imageOffset
               << ')';
}

}  // namespace tavrin::testing
