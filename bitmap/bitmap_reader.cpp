#include "bitmap/bitmap_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "platform/byte_reader.h"
#include "platform/hooks.h"

namespace tavrin {

const char* const kBitmapRevisionNotes =
    "位图读取模块修订记录：\n"
    "1. 支持 40 字节信息头与 12 字节核心信息头；\n"
    "2. 支持 1、4、8、16、24、32 位无压缩像素数据及调色板；\n"
    "3. 拒绝压缩位图与更高版本的信息头；\n"
    "4. 读取像素前核对坐标、调色板与数据长度，绝不越界读取。";

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::uint16_t kBitmapMark = 19778;  // "BM"

// Offsets of the fields within the stored 40-byte header.
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kPlanesField = 12;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kClrUsedField = 32;

[[noreturn]] void Raise(std::string_view text) {
    throw CDIBException(text);
}

void ClearError(BitmapReader& reader) {
    if (reader.errorText) reader.errorText[0] = '\0';
}

void StoreError(BitmapReader& reader, const CDIBException& error) {
    if (!reader.errorText) return;
    const char* message = error.what();
    const std::size_t length = std::min(std::strlen(message), kBitmapErrorTextSize - 1);
    std::memcpy(reader.errorText.get(), message, length);
    reader.errorText[length] = '\0';
}

// The number of colour table entries a header carries; nothing for an unsupported bit depth.
std::optional<std::uint32_t> ColourCount(std::uint16_t bitCount, std::uint32_t clrUsed) {
    std::uint32_t count = 0;
    switch (bitCount) {
        case 1:
            count = 2;
            break;
        case 4:
            count = 16;
            break;
        case 8:
            count = 256;
            break;
        case 16:
        case 24:
        case 32:
            count = 0;
            break;
        default:
            return std::nullopt;
    }
    return clrUsed != 0 ? clrUsed : count;
}

const ByteBuffer& LoadedBlock(const BitmapReader& reader) {
    if (!reader.bitmap || reader.bitmap->dib.empty()) Raise(kBitmapNotLoadedText);
    return reader.bitmap->dib;
}

ByteBuffer BuildBlock(std::span<const std::uint8_t> bytes) {
    const std::size_t n = bytes.size();
    if (n < kFileHeaderSize + kInfoHeaderSize) Raise(kBitmapUnsupportedText);
    if (*ReadU16At(bytes, 0) != kBitmapMark) Raise(kBitmapUnsupportedText);
    if (*ReadU32At(bytes, 2) > n) Raise(kBitmapUnsupportedText);

    // The header as it will be stored: the file's own 40 bytes, or one built from a core header.
    std::uint8_t header[kInfoHeaderSize] = {};
    const std::uint32_t headerSize = *ReadU32At(bytes, kFileHeaderSize);
    if (headerSize == kInfoHeaderSize) {
        std::memcpy(header, bytes.data() + kFileHeaderSize, kInfoHeaderSize);
    } else if (headerSize == kCoreHeaderSize) {
        StoreU32(header + 0, kInfoHeaderSize);
        StoreU32(header + kWidthField, *ReadU16At(bytes, kFileHeaderSize + 4));
        StoreU32(header + kHeightField, *ReadU16At(bytes, kFileHeaderSize + 6));
        StoreU16(header + kPlanesField, *ReadU16At(bytes, kFileHeaderSize + 8));
        StoreU16(header + kBitCountField, *ReadU16At(bytes, kFileHeaderSize + 10));
    } else {
        Raise(kBitmapUnsupportedText);
    }
    const std::span<const std::uint8_t> stored(header);
    const auto colours =
        ColourCount(*ReadU16At(stored, kBitCountField), *ReadU32At(stored, kClrUsedField));
    if (!colours) Raise(kBitmapUnsupportedText);

    // The whole stored table must lie inside the data; 64-bit sums cannot overflow here.
    const std::uint64_t count = *colours;
    const std::size_t tableStart = kFileHeaderSize + headerSize;
    const std::uint64_t entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
    if (n < headerSize + 4 * count + 10) Raise(kBitmapUnsupportedText);
    if (n < tableStart + entrySize * count) Raise(kBitmapUnsupportedText);

    const std::uint32_t pixelOffset = *ReadU32At(bytes, 10);
    if (pixelOffset >= n) Raise(kBitmapUnsupportedText);
    const std::size_t pixelBytes = n - pixelOffset;
    // RLE data and bit-field masks are not supported; refused before anything is allocated.
    if (*ReadU32At(stored, kCompressionField) != 0) Raise(kBitmapUnsupportedText);

    ByteBuffer block;
    try {
        block.assign(kInfoHeaderSize + 4 * count + pixelBytes, 0);
    } catch (const std::bad_alloc&) {
        Raise(kBitmapUnsupportedText);
    }
    std::memcpy(block.data(), header, kInfoHeaderSize);
    std::uint8_t* table = block.data() + kInfoHeaderSize;
    if (entrySize == 4) {
        std::memcpy(table, bytes.data() + tableStart, 4 * count);
    } else {
        for (std::uint64_t i = 0; i < count; ++i) {
            std::memcpy(table + 4 * i, bytes.data() + tableStart + 3 * i, 3);
        }
    }
    std::memcpy(table + 4 * count, bytes.data() + pixelOffset, pixelBytes);
    return block;
}

std::int32_t ReadPixel(const ByteBuffer& block, std::int32_t x, std::int32_t y) {
    const std::span<const std::uint8_t> dib(block);
    const std::int64_t width = *ReadI32At(dib, kWidthField);
    const std::int64_t height = *ReadI32At(dib, kHeightField);
    if (x < 0 || y < 0 || x > width - 1 || y > height - 1) Raise(kBitmapOutOfRangeText);

    const std::uint16_t bitCount = *ReadU16At(dib, kBitCountField);
    const std::uint16_t planes = *ReadU16At(dib, kPlanesField);
    const auto colours = ColourCount(bitCount, *ReadU32At(dib, kClrUsedField));
    if (!colours) Raise(kBitmapUnsupportedText);
    // Computed in 64 bits, so a huge width or plane count cannot overflow: at most 2^52.
    const std::uint64_t stride =
        ((static_cast<std::uint64_t>(bitCount) * planes * static_cast<std::uint64_t>(width) + 31) >>
         3) &
        ~std::uint64_t{3};
    const std::size_t pixelStart = kInfoHeaderSize + 4 * static_cast<std::size_t>(*colours);
    const auto pixels = dib.subspan(pixelStart);

    // Rows lie bottom-up. A row or a pixel beyond the stored bytes counts as outside the bitmap.
    const auto rowIndex = static_cast<std::uint64_t>(height - 1 - y);
    if (stride != 0 && rowIndex > pixels.size() / stride) Raise(kBitmapOutOfRangeText);
    const std::uint64_t rowStart = rowIndex * stride;
    const auto ux = static_cast<std::uint64_t>(x);
    std::uint64_t at = 0;
    std::uint64_t length = 1;
    switch (bitCount) {
        case 1:
            at = ux / 8;
            break;
        case 4:
            at = ux / 2;
            break;
        case 8:
            at = ux;
            break;
        case 16:
            at = 2 * ux, length = 2;
            break;
        case 24:
            at = 3 * ux, length = 3;
            break;
        default:
            at = 4 * ux, length = 3;
            break;
    }
    if (rowStart + at + length > pixels.size()) Raise(kBitmapOutOfRangeText);
    const std::uint8_t* p = pixels.data() + rowStart + at;

    std::uint32_t red = 0, green = 0, blue = 0;
    if (bitCount <= 8) {
        std::uint32_t index = *p;
        if (bitCount == 1) index = (index >> (7 - ux % 8)) & 1;
        if (bitCount == 4) index = ux % 2 == 0 ? index >> 4 : index & 0x0F;
        // An index beyond the stored table counts as outside the bitmap.
        if (index >= *colours) Raise(kBitmapOutOfRangeText);
        const std::uint8_t* entry = dib.data() + kInfoHeaderSize + 4 * index;
        blue = entry[0], green = entry[1], red = entry[2];
    } else if (bitCount == 16) {
        const std::uint32_t word = p[0] | (p[1] << 8);
        blue = (word & 0x1F) * 8;
        green = ((word >> 5) & 0x1F) * 8;
        red = ((word >> 10) & 0x1F) * 8;
    } else {
        blue = p[0], green = p[1], red = p[2];
    }
    return static_cast<std::int32_t>(red + green * 256 + blue * 65536);
}

}  // namespace

CDIBException::CDIBException(std::string_view message)
    : message_(message.substr(0, std::min(message.size(), kMaxMessage))) {}

void CreateBitmapReader(BitmapReader& reader) {
    reader.bitmap = std::make_unique<DibBitmap>();
    reader.errorText = std::make_unique<char[]>(kBitmapErrorTextSize);
    reader.errorText[0] = '\0';
}

bool LoadBitmapBytes(BitmapReader& reader, std::span<const std::uint8_t> bytes) {
    ClearError(reader);
    try {
        if (bytes.empty()) Raise(kBitmapUnsupportedText);
        constexpr std::string_view kVersion = "version";
        if (bytes.size() == kVersion.size() &&
            std::equal(bytes.begin(), bytes.end(), kVersion.begin())) {
            ShowNotice(kBitmapRevisionNotes, std::string(kBitmapRevisionTitle));
        }
        if (!reader.bitmap) Raise(kBitmapNotLoadedText);
        ByteBuffer().swap(reader.bitmap->dib);
        reader.bitmap->dib = BuildBlock(bytes);
        return true;
    } catch (const CDIBException& error) {
        StoreError(reader, error);
        return false;
    }
}

std::int32_t BitmapWidth(BitmapReader& reader) {
    ClearError(reader);
    try {
        return *ReadI32At(LoadedBlock(reader), kWidthField);
    } catch (const CDIBException& error) {
        StoreError(reader, error);
        return -1;
    }
}

std::int32_t BitmapHeight(BitmapReader& reader) {
    ClearError(reader);
    try {
        return *ReadI32At(LoadedBlock(reader), kHeightField);
    } catch (const CDIBException& error) {
        StoreError(reader, error);
        return -1;
    }
}

std::int32_t BitmapPixel(BitmapReader& reader, std::int32_t x, std::int32_t y) {
    ClearError(reader);
    try {
        return ReadPixel(LoadedBlock(reader), x, y);
    } catch (const CDIBException& error) {
        StoreError(reader, error);
        return 0;
    }
}

void DestroyBitmapReader(BitmapReader& reader) {
    reader.bitmap.reset();
    reader.errorText.reset();
}

}  // namespace tavrin
