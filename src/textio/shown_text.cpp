// SPDX-License-Identifier: MIT
#include <cstdint>

#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::textio {
namespace {

// 0 for a stray continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF, or a character cut short.
std::size_t utf8_character(std::string_view text, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2, min = 0x80, code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3, min = 0x800, code = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3f);
    }
    if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
    return length;
}

bool invisible(char32_t code) {
    return (code >= 0x80 && code <= 0x9f) || code == 0x61c || (code >= 0x200b && code <= 0x200f) ||
           (code >= 0x2028 && code <= 0x202e) || (code >= 0x2060 && code <= 0x206f) ||
           code == 0xfeff;
}

template <typename Emit>
void show(std::string_view text, Emit emit) {
    static const char digits[] = "0123456789abcdef";
    const auto escape_byte = [&](unsigned char c) {
        const char escaped[4] = {'\\', 'x', digits[c >> 4], digits[c & 15]};
        emit(escaped, 4);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            std::size_t end = i + 1;
            while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x20 &&
                   static_cast<unsigned char>(text[end]) < 0x7f) {
                ++end;
            }
            emit(text.data() + i, end - i);
            i = end;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            const char escaped[2] = {'\\', c == '\t' ? 't' : (c == '\n' ? 'n' : 'r')};
            emit(escaped, 2);
            ++i;
        } else if (c < 0x80) {
            escape_byte(c);
            ++i;
        } else {
            char32_t code = 0;
            const std::size_t length = utf8_character(text.substr(i), code);
            if (length == 0) {
                escape_byte(c);
                ++i;
                continue;
            }
            if (invisible(code)) {
                for (std::size_t k = 0; k < length; ++k)
                    escape_byte(static_cast<unsigned char>(text[i + k]));
            } else {
                emit(text.data() + i, length);
            }
            i += length;
        }
    }
}

}  // namespace

std::string shown_text(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    show(text, [&shown](const char* piece, std::size_t size) { shown.append(piece, size); });
    return shown;
}

std::string shown_token(std::string_view token) {
    constexpr std::size_t limit = 40;
    std::size_t cut = token.size() <= limit ? token.size() : limit;
    // Step back over at most three continuation bytes to the start of the
    // character that the cut would split.
    if (cut < token.size()) {
        for (std::size_t back = 0; back < 3 && cut > 0; ++back) {
            if ((static_cast<unsigned char>(token[cut]) & 0xc0) != 0x80) break;
            --cut;
        }
        if ((static_cast<unsigned char>(token[cut]) & 0xc0) == 0x80)
            cut = limit;  // not UTF-8 anyway
    }
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on
    // "literal" + std::string temporaries.
    std::string quoted = "'";
    quoted.append(shown_text(token.substr(0, cut))).append(cut < token.size() ? "...'" : "'");
    return quoted;
}

void print_shown(std::FILE* stream, std::string_view text) {
    show(text,
         [stream](const char* piece, std::size_t size) { std::fwrite(piece, 1, size, stream); });
}

}  // namespace levelset_prep::textio
