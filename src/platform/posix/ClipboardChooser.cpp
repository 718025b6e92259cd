#include "platform/posix/ClipboardChooser.h"

namespace kirramo::posix {

template <class Text>
bool ClipboardChooser::Place(const Text& text) {
    for (const std::unique_ptr<ClipboardSink>& sink : sinks_) {
        if (!sink->Available()) continue;
        switch (sink->Place(text)) {
        case PlaceResult::Placed:
            return true;
        case PlaceResult::Busy:
            return false;
        case PlaceResult::Unreachable:
            break;
        }
    }
    return false;
}

bool ClipboardChooser::SetClipboardText(const std::string& text) { return Place(text); }

bool ClipboardChooser::SetClipboardPieces(const TextPieces& text) { return Place(text); }

std::vector<std::unique_ptr<ClipboardSink>> LinuxClipboardSinks(LookupTeam* lookups) {
    std::vector<std::unique_ptr<ClipboardSink>> sinks;
    sinks.push_back(std::make_unique<X11OwnerSink>(lookups));
    sinks.push_back(std::make_unique<WlCopySink>());
    sinks.push_back(std::make_unique<StandardOutputSink>());
    return sinks;
}

}  // namespace kirramo::posix
