#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>

namespace kirramo::win32 {

std::wstring Widen(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    auto cont = [&](size_t k) { return i + k < n && (p[i + k] & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned c = p[i];
        char32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if (c >= 0xC2 && c < 0xE0 && cont(1)) {
            cp = ((c & 0x1F) << 6) | (p[i + 1] & 0x3F);
            len = 2;
        } else if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
            cp = ((c & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800) {  // overlong form
                cp = 0xFFFD;
                len = 1;
            }
        } else if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = ((c & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) | ((p[i + 2] & 0x3F) << 6) |
                 (p[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) {  // overlong or beyond Unicode
                cp = 0xFFFD;
                len = 1;
            }
        } else {
            cp = 0xFFFD;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            // A three-byte surrogate stays the unit it stands for (the inverse of Narrow).
            out += static_cast<wchar_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string Narrow(std::wstring_view w) {
    std::string out;
    out.reserve(w.size() + w.size() / 2);
    const size_t n = w.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = static_cast<char16_t>(w[i]);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char16_t>(w[i + 1]) - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

namespace {

// The conversion calls count in int: long texts go in pieces that end on a whole
// character (never between the two halves of a surrogate pair).
constexpr size_t kPiece = 1 << 24;

}  // namespace

std::string ToCodePage(std::wstring_view text, unsigned codePage) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t len = std::min(kPiece, text.size() - pos);
        if (pos + len < text.size() && text[pos + len - 1] >= 0xD800 && text[pos + len - 1] < 0xDC00) --len;
        const DWORD flags = (codePage == CP_UTF8 || codePage == CP_UTF7) ? 0 : WC_NO_BEST_FIT_CHARS;
        int need = WideCharToMultiByte(codePage, flags, text.data() + pos, static_cast<int>(len), nullptr, 0,
                                       nullptr, nullptr);
        if (need > 0) {
            size_t at = out.size();
            out.resize(at + static_cast<size_t>(need));
            WideCharToMultiByte(codePage, flags, text.data() + pos, static_cast<int>(len), out.data() + at, need,
                                nullptr, nullptr);
        }
        pos += len;
    }
    return out;
}

std::wstring FromCodePage(std::string_view bytes, unsigned codePage) {
    std::wstring out;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t len = std::min(kPiece, bytes.size() - pos);
        if (pos + len < bytes.size()) {
            // A byte that cannot begin a double-byte character ends one, whatever it is:
            // the piece ends after the last such byte, so no pair is cut in two.
            size_t end = len;
            while (end > 0 && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[pos + end - 1]))) --end;
            if (end > 0) len = end;
        }
        int need = MultiByteToWideChar(codePage, 0, bytes.data() + pos, static_cast<int>(len), nullptr, 0);
        if (need > 0) {
            size_t at = out.size();
            out.resize(at + static_cast<size_t>(need));
            MultiByteToWideChar(codePage, 0, bytes.data() + pos, static_cast<int>(len), out.data() + at, need);
        }
        pos += len;
    }
    return out;
}

}  // namespace kirramo::win32
