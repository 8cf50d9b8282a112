#include "app/find_text.h"

namespace tavrin {
namespace {

// The length in bytes of the character that starts at text[at].
std::size_t CharacterLength(std::string_view text, std::size_t at, TextEncoding encoding) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t left = text.size() - at;
    if (encoding == TextEncoding::DoubleByte) return (lead >= 0x80 && left >= 2) ? 2 : 1;

    // UTF-8: the continuation bytes that the lead byte announces and that are really there. A
    // stray continuation byte or a broken sequence counts as characters of its own.
    std::size_t wanted = 1;
    if (lead >= 0xC0 && lead <= 0xDF) {
        wanted = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        wanted = 3;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        wanted = 4;
    }
    std::size_t length = 1;
    while (length < wanted && length < left &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

unsigned char FoldAscii(char c) {
    auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Compares pattern with text from `at` on, character by character.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view pattern,
               TextEncoding encoding) {
    std::size_t p = 0;
    while (p < pattern.size()) {
        if (at >= text.size()) return false;
        std::size_t textLength = CharacterLength(text, at, encoding);
        std::size_t patternLength = CharacterLength(pattern, p, encoding);
        if (textLength != patternLength) return false;
        if (textLength == 1) {
            if (FoldAscii(text[at]) != FoldAscii(pattern[p])) return false;
        } else if (text.substr(at, textLength) != pattern.substr(p, patternLength)) {
            return false;
        }
        at += textLength;
        p += patternLength;
    }
    return true;
}

}  // namespace

std::optional<std::size_t> FindText(std::string_view text, std::string_view pattern,
                                    TextEncoding encoding) {
    if (pattern.empty()) return std::nullopt;
    for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at, encoding)) {
        if (MatchesAt(text, at, pattern, encoding)) return at + 1;
    }
    return std::nullopt;
}

}  // namespace tavrin
