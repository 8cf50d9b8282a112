#include "platform/utf16.h"

#include "platform/byte_reader.h"

namespace tavrin {

std::string Utf16ToUtf8(std::span<const std::uint8_t> utf16le) {
    std::string text;
    text.reserve(utf16le.size() / 2);
    ByteReader reader(utf16le);
    while (auto unit = reader.U16()) {
        std::uint32_t code = *unit;
        if (code >= 0xD800 && code <= 0xDBFF) {
            auto low = ReadU16At(utf16le, reader.position());
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                reader.Skip(2);
                code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

}  // namespace tavrin
