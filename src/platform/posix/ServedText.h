// The text that a clipboard owner (X11 or Wayland) serves, and the forms in which it
// hands it out: the UTF-8 bytes, or for the old STRING form the Latin-1 bytes where
// every character has one. No display header here: the choice of form is the same on
// both displays and is tested without one.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kirramo::posix {

// How a reader is given the text.
enum class TextForm {
    Utf8,    // the UTF-8 bytes as they are
    String,  // STRING: the Latin-1 bytes where every character has a Latin-1 code (and
             // one at least is not ASCII), else the UTF-8 bytes (see ServedText)
    NotOffered,  // a form that the owner does not offer
};

// The MIME types that the Wayland owner offers, the one that says the most first.
// XWayland shows the first and the third to X11 programs as UTF8_STRING and TEXT, and
// passes the names of the others on as they are.
inline constexpr std::array<const char*, 5> kOfferedMimeTypes = {
    "text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "TEXT", "STRING"};

// The form that a MIME type asked of the Wayland owner stands for: STRING is the old
// form, every other type it offers gives UTF-8 (text/plain and TEXT leave the encoding
// to the owner); NotOffered for a type it does not offer.
TextForm FormOfMimeType(std::string_view mime);

// The text of an owner, handed out piece by piece in the form asked for; the text is
// held once, and the Latin-1 form made piece by piece as it is asked for.
class ServedText {
public:
    explicit ServedText(std::string utf8);

    // The size in bytes of the whole text in the form.
    size_t Size(TextForm form) const;
    // The next piece of at most max bytes, from offset (a place in the UTF-8
    // text), in the form; moves offset past what it gives. Empty at the end. The piece
    // stays valid until the next call.
    std::string_view Piece(TextForm form, size_t& offset, size_t max);

private:
    bool InLatin1(TextForm form) const { return form == TextForm::String && latin1Size_.has_value(); }

    const std::string utf8_;
    // The Latin-1 form's size, set when STRING gives that form. A Japanese text turned
    // into question marks would be lost, while UTF-8 bytes keep every character for a
    // reader that decodes them as UTF-8; an ASCII text is the same in both.
    const std::optional<size_t> latin1Size_;
    std::string piece_;  // the Latin-1 piece last made
};

}  // namespace kirramo::posix
