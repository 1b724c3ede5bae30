#include "render/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and the code
// point it encodes; 0 when the first byte does not open one (overlong forms,
// surrogates and values past U+10FFFF are invalid).
std::size_t utf8_sequence(std::string_view text, char32_t& code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code_point = code_point << 6 | (byte(i) & 0x3F);
    }
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < minimum || surrogate || code_point > 0x10FFFF) return 0;
    return length;
}

// Characters a terminal acts on rather than shows: the C0 and C1 controls,
// DEL, and the marks that reverse the order of the text after them.
bool acts_on_terminal(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void append_escaped_bytes(std::string& shown, std::string_view bytes) {
    for (const char c : bytes) {
        switch (c) {
            case '\n':
                shown += "\\n";
                break;
            case '\r':
                shown += "\\r";
                break;
            case '\t':
                shown += "\\t";
                break;
            default: {
                char escape[5];
                std::snprintf(escape, sizeof(escape), "\\x%02X", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
                shown += escape;
            }
        }
    }
}

}  // namespace

std::string shown_text(std::string_view text) {
    std::string shown = "'";
    std::size_t at = 0;
    std::size_t characters = 0;
    while (at < text.size() && characters < SHOWN_TEXT_LIMIT) {
        char32_t code_point = 0;
        std::size_t length = utf8_sequence(text.substr(at), code_point);
        if (length == 0) {
            append_escaped_bytes(shown, text.substr(at, 1));
            length = 1;
        } else if (code_point == '\\') {
            shown += "\\\\";
        } else if (acts_on_terminal(code_point)) {
            append_escaped_bytes(shown, text.substr(at, length));
        } else {
            shown += text.substr(at, length);
        }
        at += length;
        ++characters;
    }
    if (at == text.size()) return shown + "'";
    return shown + "...' (" + std::to_string(text.size()) + " bytes)";
}
