// The clipboard owners' processes. An X11 selection, and a Wayland selection set through
// data-control, live only as long as the client that set them; Kirramo ends as soon as
// its text is ready, so the text is handed to a small owner process of its own. The
// owner takes the selection, tells the program it holds it, and serves the text until
// another program takes the clipboard. What the two owners share lives here; each
// display's own part in X11Clipboard.cpp and WaylandClipboard.cpp.
#pragma once

#include <string>

#include "platform/Clipboard.h"

namespace kirramo::posix {

// Tells the program, once, whether the owner holds the selection.
class OwnerReport {
public:
    explicit OwnerReport(int fd) : fd_(fd) {}
    OwnerReport(const OwnerReport&) = delete;
    OwnerReport& operator=(const OwnerReport&) = delete;
    // Writes the answer and closes the pipe; a second answer is not written.
    void operator()(bool holds);

private:
    int fd_;
};

// One kind of owner.
struct OwnerRoad {
    // The program's name (argv[0]) when it is started afresh for this owner
    // (Desktop.h: kClipboardOwnerArgument and kWaylandClipboardOwnerArgument).
    const char* startName;
    // The owner's body, in a process of its own that keeps nothing of the program's
    // (its working folder "/", the standard descriptors on /dev/null, no other
    // descriptor, SIGPIPE ignored): takes the selection with the text, reports, serves
    // the text until another program takes the selection, and returns.
    void (*serve)(std::string text, OwnerReport& report);
};

// How long a transfer to a reader may stand still before the owner gives up on it (the
// reader vanished or stopped reading).
inline constexpr int kStaleTransferSeconds = 30;

extern const OwnerRoad kX11Owner;      // X11Clipboard.cpp
extern const OwnerRoad kWaylandOwner;  // WaylandClipboard.cpp

// Starts the owner with the text and waits until it reports, at most 15 s; true when
// it holds the selection. A small process on one thread forks the owner (through a
// child of its own, so the owner is nobody's child and never stays a zombie); a larger
// one, or one with threads, starts this program afresh for it and hands it the text,
// so that the owner keeps the text and little else of the run.
bool StartOwner(const OwnerRoad& road, const std::string& text);
bool StartOwner(const OwnerRoad& road, const TextPieces& text);

}  // namespace kirramo::posix
