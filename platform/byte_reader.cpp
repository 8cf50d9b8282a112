#include "platform/byte_reader.h"

namespace tavrin {
namespace {

template <typename T>
std::optional<T> LoadLittleEndian(std::span<const std::uint8_t> data, std::size_t offset) {
    if (offset > data.size() || sizeof(T) > data.size() - offset) return std::nullopt;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<T>(static_cast<T>(data[offset + i]) << (8 * i));
    }
    return value;
}

}  // namespace

bool ByteReader::Seek(std::size_t offset) {
    if (offset > data_.size()) return false;
    pos_ = offset;
    return true;
}

bool ByteReader::Skip(std::size_t count) {
    if (count > remaining()) return false;
    pos_ += count;
    return true;
}

std::optional<std::uint8_t> ByteReader::U8() {
    auto value = ReadU8At(data_, pos_);
    if (value) pos_ += 1;
    return value;
}

std::optional<std::uint16_t> ByteReader::U16() {
    auto value = ReadU16At(data_, pos_);
    if (value) pos_ += 2;
    return value;
}

std::optional<std::uint32_t> ByteReader::U32() {
    auto value = ReadU32At(data_, pos_);
    if (value) pos_ += 4;
    return value;
}

std::optional<std::uint64_t> ByteReader::U64() {
    auto value = LoadLittleEndian<std::uint64_t>(data_, pos_);
    if (value) pos_ += 8;
    return value;
}

std::optional<std::int32_t> ByteReader::I32() {
    auto value = ReadI32At(data_, pos_);
    if (value) pos_ += 4;
    return value;
}

std::optional<std::span<const std::uint8_t>> ByteReader::Bytes(std::size_t count) {
    if (count > remaining()) return std::nullopt;
    auto bytes = data_.subspan(pos_, count);
    pos_ += count;
    return bytes;
}

std::optional<std::uint8_t> ReadU8At(std::span<const std::uint8_t> data, std::size_t offset) {
    return LoadLittleEndian<std::uint8_t>(data, offset);
}

std::optional<std::uint16_t> ReadU16At(std::span<const std::uint8_t> data, std::size_t offset) {
    return LoadLittleEndian<std::uint16_t>(data, offset);
}

std::optional<std::uint32_t> ReadU32At(std::span<const std::uint8_t> data, std::size_t offset) {
    return LoadLittleEndian<std::uint32_t>(data, offset);
}

std::optional<std::int32_t> ReadI32At(std::span<const std::uint8_t> data, std::size_t offset) {
    auto value = LoadLittleEndian<std::uint32_t>(data, offset);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

void StoreU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void StoreU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace tavrin
