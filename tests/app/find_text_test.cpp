#include "app/find_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavrin {
namespace {

struct FindCase {
    const char* name;
    TextEncoding encoding;
    std::string text;
    std::string pattern;
    std::optional<std::size_t> position;
};

TEST(FindText, WholeCharactersOfEachEncoding) {
    constexpr auto kUtf8 = TextEncoding::Utf8;
    constexpr auto kGbk = TextEncoding::DoubleByte;
    const std::vector<FindCase> cases = {
        {"plain match", kUtf8, "C:\\a\\b.lnk", ".lnk", 7},
        {"letter case ignored", kUtf8, "A.LnK", ".lnk", 2},
        {"first of several matches", kUtf8, "a.lnk.lnk", ".lnk", 2},
        {"match in the middle", kUtf8, "a.lnk.exe", ".lnk", 2},
        {"no match", kUtf8, "C:\\a\\b.exe", ".lnk", std::nullopt},
        {"empty text", kUtf8, "", ".", std::nullopt},
        {"empty pattern", kUtf8, "abc", "", std::nullopt},
        {"pattern longer than text", kUtf8, ".ln", ".lnk", std::nullopt},
        {"only non-letters compared exactly", kUtf8, "a_b", "A-B", std::nullopt},
        {"after a UTF-8 character", kUtf8, "图.lnk", ".lnk", 4},
        {"UTF-8 pattern", kUtf8, "C:\\图标\\x", "标", 7},
        {"never inside a UTF-8 sequence", kUtf8, "\xE6\xA0\x87", "\xA0\x87", std::nullopt},
        {"stray continuation byte is a character", kUtf8, "\xB0.lnk", ".lnk", 2},
        {"broken sequence ends before an ASCII byte", kUtf8,
         "\xD6"
         "A",
         "a", 2},
        {"non-ASCII bytes never fold", kUtf8, "\xC3\x89", "\xC3\xA9", std::nullopt},
        {"GBK: after a double-byte character", kGbk, "\xCD\xBC.lnk", ".lnk", 3},
        {"GBK: a trail byte never starts a match", kGbk, "\xB0.lnk", ".lnk", std::nullopt},
        {"GBK: trail byte like an ASCII letter", kGbk,
         "\xD6"
         "A",
         "a", std::nullopt},
        {"GBK: same bytes as a character of its own", kGbk,
         "x\xD6"
         "A",
         "\xD6"
         "A",
         2},
        {"GBK: trail byte is not matched alone", kGbk, "\xD6\xD0", "\xD0", std::nullopt},
        {"GBK: lone lead byte at the end", kGbk, "a\xA9", "\xA9", 2},
        {"GBK: letter case ignored", kGbk, "\xCD\xBC\xB1\xEA.ICO", ".ico", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindText(c.text, c.pattern, c.encoding), c.position);
    }
}

TEST(FindText, PlatformEncodingIsUtf8Here) {
    EXPECT_EQ(FindText("\xB0.lnk", ".lnk"), 2u);
}

}  // namespace
}  // namespace tavrin
