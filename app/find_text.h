#pragma once
// Finding a text in a text over whole characters of the platform's narrow encoding, with ASCII
// letters compared without regard to case.
#include <cstddef>
#include <optional>
#include <string_view>

namespace tavrin {

enum class TextEncoding {
    Utf8,        // a lead byte and the continuation bytes that follow it form one character
    DoubleByte,  // a byte of 0x80 or above and the byte after it form one character (GBK)
};

// The program's texts are UTF-8 on every platform: the Windows run time converts at the edge of
// every wide Windows call, so no text is ever in the ANSI code page.
inline constexpr TextEncoding kPlatformEncoding = TextEncoding::Utf8;

// The 1-based byte position of the first place in text where pattern starts, or std::nullopt.
// A match starts and ends on character boundaries, never inside a character. An empty pattern
// is found nowhere.
std::optional<std::size_t> FindText(std::string_view text, std::string_view pattern,
                                    TextEncoding encoding = kPlatformEncoding);

}  // namespace tavrin
