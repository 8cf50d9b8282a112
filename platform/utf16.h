#pragma once
// Texts stored as UTF-16 in the files we read (resource names, shortcut paths) become UTF-8.
#include <cstdint>
#include <span>
#include <string>

namespace tavrin {

// UTF-16LE code units as UTF-8; an unpaired surrogate becomes U+FFFD. An odd last byte is
// ignored.
std::string Utf16ToUtf8(std::span<const std::uint8_t> utf16le);

}  // namespace tavrin
