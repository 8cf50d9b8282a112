#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "platform/byte_reader.h"

namespace tavrin::qt {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

void PutU16(QByteArray& out, std::uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void PutU32(QByteArray& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

std::optional<QByteArray> DibToBitmapFile(std::span<const std::uint8_t> dib) {
    auto headerSize = ReadU32At(dib, 0);
    if (!headerSize || (*headerSize != kCoreHeaderSize && *headerSize < kInfoHeaderSize) ||
        *headerSize > dib.size()) {
        return std::nullopt;
    }
    // Where the pixels start: after the header, the colour masks and the colour table.
    std::uint64_t pixelsAt = *headerSize;
    if (*headerSize == kCoreHeaderSize) {
        auto bitCount = ReadU16At(dib, 10);
        if (!bitCount) return std::nullopt;
        if (*bitCount <= 8) pixelsAt += 3ull << *bitCount;
    } else {
        auto bitCount = ReadU16At(dib, 14);
        auto compression = ReadU32At(dib, 16);
        auto coloursUsed = ReadU32At(dib, 32);
        if (!bitCount || !compression || !coloursUsed) return std::nullopt;
        if (*headerSize == kInfoHeaderSize && *compression == kBitFields) pixelsAt += 12;
        if (*headerSize == kInfoHeaderSize && *compression == kAlphaBitFields) pixelsAt += 16;
        std::uint64_t colours = *coloursUsed;
        if (colours == 0 && *bitCount <= 8) colours = 1ull << *bitCount;
        pixelsAt += colours * 4;
    }
    if (pixelsAt > dib.size()) return std::nullopt;

    const std::uint64_t fileSize = kFileHeaderSize + dib.size();
    if (fileSize > UINT32_MAX) return std::nullopt;
    QByteArray file;
    file.reserve(static_cast<qsizetype>(fileSize));
    file.append("BM", 2);
    PutU32(file, static_cast<std::uint32_t>(fileSize));
    PutU32(file, 0);  // reserved
    PutU32(file, static_cast<std::uint32_t>(kFileHeaderSize + pixelsAt));
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return file;
}

bool PutDibOnQtClipboard(std::span<const std::uint8_t> dib) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    std::optional<QByteArray> file = DibToBitmapFile(dib);
    if (!file) return false;
    QImage image;
    if (!image.loadFromData(*file, "BMP") || image.isNull()) return false;
    clipboard->setImage(image);
    return true;
}

}  // namespace tavrin::qt
