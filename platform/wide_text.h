#pragma once
// Texts are UTF-8 everywhere in the program; the Windows calls take UTF-16. These convert at the
// edge, on Windows only.
#if defined(_WIN32)
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// The UTF-16 form of a UTF-8 text; std::nullopt when the text is not valid UTF-8 or holds a zero
// byte (a Windows call would see only the part before it).
std::optional<std::wstring> WideFromUtf8(std::string_view text);

// The UTF-8 form of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace tavrin
#endif
