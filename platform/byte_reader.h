#pragma once
// The one way untrusted bytes are read: a little-endian cursor over a span. Every read checks the
// bounds by subtraction, returns std::nullopt when the bytes are not there, and then consumes
// nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tavrin {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    std::span<const std::uint8_t> data() const { return data_; }

    // Moves to an absolute offset; false (and no move) when it lies past the end.
    bool Seek(std::size_t offset);
    bool Skip(std::size_t count);

    std::optional<std::uint8_t> U8();
    std::optional<std::uint16_t> U16();
    std::optional<std::uint32_t> U32();
    std::optional<std::uint64_t> U64();
    std::optional<std::int32_t> I32();
    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Reads at a fixed offset without a cursor; std::nullopt when the field is not wholly inside.
std::optional<std::uint8_t> ReadU8At(std::span<const std::uint8_t> data, std::size_t offset);
std::optional<std::uint16_t> ReadU16At(std::span<const std::uint8_t> data, std::size_t offset);
std::optional<std::uint32_t> ReadU32At(std::span<const std::uint8_t> data, std::size_t offset);
std::optional<std::int32_t> ReadI32At(std::span<const std::uint8_t> data, std::size_t offset);

// Stores little-endian values into memory the caller has checked to be large enough.
void StoreU16(std::uint8_t* at, std::uint16_t value);
void StoreU32(std::uint8_t* at, std::uint32_t value);

}  // namespace tavrin
