// The clipboard: where a run's text goes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kirramo {

// A text kept in pieces (the output lines and the line breaks between them), so that it
// can be written out without first being joined in one place.
class TextPieces {
public:
    virtual ~TextPieces() = default;
    // The length of the whole text in bytes.
    virtual size_t Size() const = 0;
    // Gives the pieces in order to sink; stops as soon as sink returns false and then
    // returns false.
    virtual bool Each(const std::function<bool(std::string_view)>& sink) const = 0;
    // The whole text in one string.
    std::string Joined() const {
        std::string text;
        text.reserve(Size());
        Each([&](std::string_view piece) {
            text += piece;
            return true;
        });
        return text;
    }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Empties the clipboard; false while another program holds it.
    virtual bool EmptyClipboard() = 0;
    // Puts the text on the clipboard as plain text; false while another program
    // holds it or when the clipboard cannot be reached.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // The same for a text in pieces. A platform that can take the text piece by piece
    // overrides it; this one joins the pieces first.
    virtual bool SetClipboardPieces(const TextPieces& text) { return SetClipboardText(text.Joined()); }
};

}  // namespace kirramo
