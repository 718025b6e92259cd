// The Linux clipboard as a list of roads: each road to a place that holds the text
// (a Wayland owner, wl-copy, an X11 owner, standard output) is one sink, and
// ClipboardChooser takes the first road that answers.
#pragma once

#include <string>

#include "platform/Clipboard.h"

namespace kirramo::posix {

// What became of one attempt to place a text.
struct PlaceResult {
    enum class Kind {
        Placed,       // the text is there
        Busy,         // not placed this time; the core tries again, and at last tells the user
        Unreachable,  // this road cannot be reached in this session: the next road takes the text
        Failed,       // not placed, and trying again would not help: the user is told why
    };
    Kind kind = Kind::Placed;
    std::string why;  // Unreachable, Failed: the cause, one sentence in the user's words
};

class ClipboardSink {
public:
    virtual ~ClipboardSink() = default;
    // A short name of the road ("wayland", "wl-copy", "x11", "stdout"), to tell the
    // roads apart.
    virtual const char* Name() const = 0;
    // Where the road puts the text, in the user's words ("標準出力"): named in the note
    // when the road stands in for one that could not be reached.
    virtual const char* Where() const = 0;
    // Whether this road exists in this session (the display it needs is named).
    virtual bool Available() const = 0;
    // Places the whole text.
    virtual PlaceResult Place(const std::string& text) = 0;
    // Places a text given in pieces; a road that can take it piece by piece overrides
    // this one, which joins the pieces first.
    virtual PlaceResult Place(const TextPieces& text) { return Place(text.Joined()); }
};

// The Wayland selection, set through data-control (ext, else wlr) and served by an
// owner process of its own after this program has ended (WaylandClipboard.cpp), as the
// X11 owner does. Available when WAYLAND_DISPLAY is set, whether DISPLAY is set too or
// not; unreachable, without a word, when the compositor offers neither version (GNOME,
// weston) or does not answer within 3 s, and with the cause when it offers one and
// the owner could not set the selection.
class WaylandOwnerSink final : public ClipboardSink {
public:
    const char* Name() const override { return "wayland"; }
    const char* Where() const override { return "Wayland のクリップボード"; }
    bool Available() const override;
    PlaceResult Place(const std::string& text) override;
    PlaceResult Place(const TextPieces& text) override;
};

// The X11 CLIPBOARD selection, served by an owner process of its own after this program
// has ended (X11Clipboard.cpp). Available when DISPLAY is set; unreachable when no X
// server answers there. The owner holds the text and little else: a small run forks
// it, a larger one starts this program afresh for it and hands it the text
// (OwnerProcess.h).
class X11OwnerSink final : public ClipboardSink {
public:
    const char* Name() const override { return "x11"; }
    const char* Where() const override { return "X11 のクリップボード"; }
    bool Available() const override;
    PlaceResult Place(const std::string& text) override;
    // Piece by piece to the owner: the whole text is never joined here.
    PlaceResult Place(const TextPieces& text) override;
};

// The Wayland clipboard through wl-copy, which keeps serving the text after this
// program has ended (WlCopySink.cpp): the road where the compositor offers no
// data-control. Available when WAYLAND_DISPLAY is set; unreachable when no compositor
// answers there, and when wl-copy is missing, fails or has not finished in time.
class WlCopySink final : public ClipboardSink {
public:
    const char* Name() const override { return "wl-copy"; }
    const char* Where() const override { return "Wayland のクリップボード"; }
    bool Available() const override;
    PlaceResult Place(const std::string& text) override;
    // Piece by piece to wl-copy: the whole text is never joined here.
    PlaceResult Place(const TextPieces& text) override;
};

// Standard output, where a run without a display puts its text, and where the text
// goes when the clipboard that the session names cannot be reached
// (StandardOutputSink.cpp). Always available; an output that cannot be written fails
// for good.
class StandardOutputSink final : public ClipboardSink {
public:
    const char* Name() const override { return "stdout"; }
    const char* Where() const override { return "標準出力"; }
    bool Available() const override { return true; }
    PlaceResult Place(const std::string& text) override;
    // Through one small buffer: the whole text is never held at once.
    PlaceResult Place(const TextPieces& text) override;
};

}  // namespace kirramo::posix
