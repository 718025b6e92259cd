// The clipboard of the Linux program: one chooser over the roads of ClipboardSink.h.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/posix/ClipboardSink.h"

namespace kirramo::posix {

// Places a text on the first available road that can be reached: a road that is busy
// ends the attempt (the core tries again), one that failed for good ends it for good,
// one that cannot be reached hands the text to the next road. When a later road took
// the text, the note says why the earlier ones could not and where the text went.
class ClipboardChooser final : public Clipboard {
public:
    using Note = std::function<void(const std::string& text)>;
    // note: where that note goes; standard error when none is given.
    explicit ClipboardChooser(std::vector<std::unique_ptr<ClipboardSink>> sinks, Note note = {});

    // The X11 and Wayland clipboards are served by a process of their own, and the run
    // always places its text at its end: starting one only to hold an empty text would
    // be replaced moments later. So emptying is left to the placing.
    bool EmptyClipboard() override { return true; }
    bool SetClipboardText(const std::string& text) override;
    bool SetClipboardPieces(const TextPieces& text) override;
    Placing PlaceText(const std::string& text) override;
    Placing PlacePieces(const TextPieces& text) override;

private:
    template <class Text>
    Placing Place(const Text& text);

    std::vector<std::unique_ptr<ClipboardSink>> sinks_;
    Note note_;
};

// The roads of the Linux program in the order they are tried: where WAYLAND_DISPLAY is
// set, the Wayland owner and then wl-copy, also when DISPLAY is set too (the X server
// of a Wayland session is XWayland, and a selection set there reaches Wayland programs
// only while XWayland runs); then the X11 owner where DISPLAY is set; and standard
// output, where neither is set or no clipboard they name can be reached.
std::vector<std::unique_ptr<ClipboardSink>> LinuxClipboardSinks();

}  // namespace kirramo::posix
