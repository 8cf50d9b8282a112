#pragma once
// A counted byte buffer with exactly one owner. An empty buffer and an absent one mean the same.
#include <cstdint>
#include <vector>

namespace tavrin {

using ByteBuffer = std::vector<std::uint8_t>;

}  // namespace tavrin
