#include "forms/Convert.h"

#include <cstdio>

namespace forms {

std::string intToText(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(value));
    return buffer;
}

namespace {

// Next character of the text with full-width forms folded to ASCII; 0 at the end.
struct NarrowReader {
    std::string_view text;
    size_t pos = 0;

    unsigned char peek(size_t* length) const {
        if (pos >= text.size()) {
            *length = 0;
            return 0;
        }
        auto b0 = static_cast<unsigned char>(text[pos]);
        if (b0 >= 0x81 && pos + 1 < text.size()) {
            auto b1 = static_cast<unsigned char>(text[pos + 1]);
            *length = 2;
            if (b0 == 0xA3 && b1 >= 0xA1 && b1 <= 0xFE)
                return static_cast<unsigned char>(b1 - 0x80);
            if (b0 == 0xA1 && b1 == 0xA1)
                return ' ';
            return 0xFF;  // any other double-byte character: not a digit, sign or blank
        }
        *length = 1;
        return b0;
    }
};

bool isBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int32_t textToInt(std::string_view text) {
    NarrowReader reader{text};
    size_t length = 0;
    unsigned char c = reader.peek(&length);
    while (length && isBlank(c)) {
        reader.pos += length;
        c = reader.peek(&length);
    }
    bool negative = false;
    if (length && (c == '+' || c == '-')) {
        negative = c == '-';
        reader.pos += length;
        c = reader.peek(&length);
    }
    uint32_t value = 0;  // unsigned, so that overflow wraps instead of being undefined
    while (length && c >= '0' && c <= '9') {
        value = value * 10u + static_cast<uint32_t>(c - '0');
        reader.pos += length;
        c = reader.peek(&length);
    }
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

}  // namespace forms
