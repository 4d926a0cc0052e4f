#include "printable.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the UTF-8 character at text[i], or 0 when the bytes there
// form none (a stray continuation byte, a cut or overlong sequence, a
// surrogate, beyond U+10FFFF). code gets its code point.
size_t characterAt(const std::string& text, size_t i, uint32_t& code) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    uint32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (size_t k = 1; k < length; k++) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool shown(uint32_t code) {
    if (code < 0x20 || (code >= 0x7F && code < 0xA0)) return false;  // C0, DEL, C1
    if ((code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069)) return false;  // bidi
    return code != 0xFFFE && code != 0xFFFF;  // not characters in XML
}

}  // namespace

std::string printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t code = 0;
        size_t length = characterAt(text, i, code);
        if (length > 0 && shown(code)) {
            out.append(text, i, length);
        } else {
            if (length == 0) length = 1;
            for (size_t k = 0; k < length; k++) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[i + k]));
                out += escaped;
            }
        }
        i += length;
    }
    return out;
}
