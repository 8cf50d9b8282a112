#pragma once
// The RC4 stream cipher (also known as ARC4), as published. Enciphering and deciphering are the
// same operation.
#include <cstdint>
#include <span>

#include "platform/bytes.h"

namespace tavrin {

// XORs the key stream of a fresh key schedule onto data. The result is as long as data; an empty
// key gives the data unchanged.
ByteBuffer Rc4(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);

}  // namespace tavrin
