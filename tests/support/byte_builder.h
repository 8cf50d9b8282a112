#pragma once
// A tiny little-endian byte builder for fixtures written in code.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/bytes.h"

namespace tavrin::testing {

class ByteBuilder {
public:
    ByteBuilder& U8(std::uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    ByteBuilder& U16(std::uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
    ByteBuilder& U32(std::uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    ByteBuilder& U64(std::uint64_t value) {
        return U32(static_cast<std::uint32_t>(value)).U32(static_cast<std::uint32_t>(value >> 32));
    }
    ByteBuilder& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    ByteBuilder& Bytes(std::span<const std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ByteBuilder& Bytes(std::initializer_list<std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ByteBuilder& Text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    ByteBuilder& Fill(std::size_t count, std::uint8_t value = 0) {
        bytes_.insert(bytes_.end(), count, value);
        return *this;
    }
    // Pads with zeros up to an absolute size.
    ByteBuilder& PadTo(std::size_t size) {
        if (bytes_.size() < size) bytes_.resize(size, 0);
        return *this;
    }
    // Overwrites a little-endian field already written.
    ByteBuilder& PatchU16(std::size_t offset, std::uint16_t value) {
        bytes_.at(offset) = value & 0xFF;
        bytes_.at(offset + 1) = value >> 8;
        return *this;
    }
    ByteBuilder& PatchU32(std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_.at(offset + i) = (value >> (8 * i)) & 0xFF;
        return *this;
    }

    std::size_t size() const { return bytes_.size(); }
    const ByteBuffer& bytes() const { return bytes_; }
    ByteBuffer Take() { return std::move(bytes_); }

private:
    ByteBuffer bytes_;
};

}  // namespace tavrin::testing
