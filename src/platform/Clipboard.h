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

// What became of an attempt to place a text.
struct Placing {
    enum class Kind {
        Placed,  // the text is in its place
        Busy,    // another program holds the clipboard: trying again may help
        Failed,  // the text cannot be placed, and trying again would not help (or would
                 // write again what was written already)
    };
    Kind kind = Kind::Placed;
    std::string why;  // Failed: the cause, in the words the user is shown

    // A plain yes or no: a failure counts as busy.
    static Placing Plain(bool placed) { return {placed ? Kind::Placed : Kind::Busy, {}}; }
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

    // Places the text and says what became of it; the core places its text through
    // these. A platform that knows failures that trying again cannot mend overrides
    // them; these count every failure as busy.
    virtual Placing PlaceText(const std::string& text) { return Placing::Plain(SetClipboardText(text)); }
    virtual Placing PlacePieces(const TextPieces& text) { return Placing::Plain(SetClipboardPieces(text)); }
};

}  // namespace kirramo
