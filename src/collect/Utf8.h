// Small UTF-8 helpers for the collection code: stepping over characters and a simple
// case fold, without any locale.
#pragma once

#include <cstddef>
#include <string_view>

namespace kirramo::utf8 {

// Decodes the character at text[pos] and moves pos past it. A byte that does not start
// a well-formed sequence counts as one character of its own (a value above U+10FFFF),
// so any byte string can be walked.
inline char32_t Next(std::string_view text, size_t& pos) {
    const unsigned char b0 = static_cast<unsigned char>(text[pos]);
    size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (len == 1) {
        ++pos;
        return b0;
    }
    if (len == 0 || pos + len > text.size()) {
        ++pos;
        return 0x110000 + b0;
    }
    char32_t cp = b0 & (0x7F >> len);
    for (size_t i = 1; i < len; ++i) {
        const unsigned char b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0x110000 + b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += len;
    return cp;
}

// The number of characters in the text.
inline size_t Length(std::string_view text) {
    size_t n = 0;
    for (size_t pos = 0; pos < text.size(); ++n) Next(text, pos);
    return n;
}

// The byte offset after the first `count` characters (the text's size when it has fewer).
inline size_t OffsetOf(std::string_view text, size_t count) {
    size_t pos = 0;
    while (count > 0 && pos < text.size()) {
        Next(text, pos);
        --count;
    }
    return pos;
}

// Upper case of a character for matching file names without regard to case: ASCII,
// Latin-1, Greek, Cyrillic and the full-width Latin letters that Japanese names use.
inline char32_t FoldCase(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9) ||
        (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

}  // namespace kirramo::utf8
