#pragma once
// The about command's text, kept only enciphered, and the RC4 key that deciphers it.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrin {

// The RC4 key: 12 bytes of the platform's narrow encoding.
extern const std::string_view AboutPassword;

// The about text enciphered under AboutPassword. It holds no zero byte: the stored constant ends
// with one that is not part of it.
extern const std::span<const std::uint8_t> AboutCipherText;

// The about text, deciphered afresh: the deciphered bytes up to the first zero byte, if any.
std::string DecipherAboutText();

}  // namespace tavrin
