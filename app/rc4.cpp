#include "app/rc4.h"

#include <array>
#include <utility>

namespace tavrin {

ByteBuffer Rc4(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    ByteBuffer result(data.begin(), data.end());
    if (key.empty()) return result;

    std::array<std::uint8_t, 256> state;
    for (std::size_t i = 0; i < state.size(); ++i) state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < state.size(); ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[i % key.size()]);
        std::swap(state[i], state[j]);
    }

    std::uint8_t i = 0;
    j = 0;
    for (auto& byte : result) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + state[i]);
        std::swap(state[i], state[j]);
        byte ^= state[static_cast<std::uint8_t>(state[i] + state[j])];
    }
    return result;
}

}  // namespace tavrin
