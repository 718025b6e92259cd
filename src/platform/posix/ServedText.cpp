#include "platform/posix/ServedText.h"

#include <algorithm>

namespace kirramo::posix {

namespace {

// The length of the Latin-1 form of a UTF-8 text when it differs from the UTF-8 bytes:
// every character is ASCII or a two-byte sequence led by C2 or C3 (U+0080 to U+00FF),
// and one at least is the latter. Nothing otherwise.
std::optional<size_t> Latin1Size(const std::string& utf8) {
    size_t size = 0;
    bool wide = false;
    for (size_t i = 0; i < utf8.size(); ++size) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            ++i;
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
                   (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            wide = true;
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    if (!wide) return std::nullopt;
    return size;
}

}  // namespace

TextForm FormOfMimeType(std::string_view mime) {
    if (mime == "STRING") return TextForm::String;
    for (const char* offered : kOfferedMimeTypes)
        if (mime == offered) return TextForm::Utf8;
    return TextForm::NotOffered;
}

ServedText::ServedText(std::string utf8) : utf8_(std::move(utf8)), latin1Size_(Latin1Size(utf8_)) {}

size_t ServedText::Size(TextForm form) const { return InLatin1(form) ? *latin1Size_ : utf8_.size(); }

std::string_view ServedText::Piece(TextForm form, size_t& offset, size_t max) {
    if (!InLatin1(form)) {
        const std::string_view piece = std::string_view(utf8_).substr(std::min(offset, utf8_.size()), max);
        offset += piece.size();
        return piece;
    }
    // Latin1Size has checked every character: ASCII, or C2/C3 and one more byte.
    piece_.clear();
    while (offset < utf8_.size() && piece_.size() < max) {
        const unsigned char c = static_cast<unsigned char>(utf8_[offset]);
        if (c < 0x80) {
            piece_ += static_cast<char>(c);
            ++offset;
        } else {
            piece_ += static_cast<char>(((c & 0x03) << 6) | (utf8_[offset + 1] & 0x3F));
            offset += 2;
        }
    }
    return piece_;
}

}  // namespace kirramo::posix
