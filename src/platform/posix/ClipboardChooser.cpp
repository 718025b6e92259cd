#include "platform/posix/ClipboardChooser.h"

#include "platform/posix/DesktopProcess.h"

namespace kirramo::posix {

ClipboardChooser::ClipboardChooser(std::vector<std::unique_ptr<ClipboardSink>> sinks, Note note)
    : sinks_(std::move(sinks)), note_(note ? std::move(note) : Note(WriteToStandardError)) {}

template <class Text>
Placing ClipboardChooser::Place(const Text& text) {
    std::string unreachable;  // why the roads tried so far could not be reached
    for (const std::unique_ptr<ClipboardSink>& sink : sinks_) {
        if (!sink->Available()) continue;
        PlaceResult result = sink->Place(text);
        switch (result.kind) {
        case PlaceResult::Kind::Placed:
            if (!unreachable.empty())
                note_(unreachable + "クリップボードの代わりに" + sink->Where() + "へ書き出しました。");
            return {Placing::Kind::Placed, {}};
        case PlaceResult::Kind::Busy:
            return {Placing::Kind::Busy, {}};
        case PlaceResult::Kind::Failed:
            return {Placing::Kind::Failed, unreachable + result.why};
        case PlaceResult::Kind::Unreachable:
            unreachable += result.why;
            break;
        }
    }
    return {Placing::Kind::Failed, unreachable.empty() ? "クリップボードに置けませんでした。" : unreachable};
}

Placing ClipboardChooser::PlaceText(const std::string& text) { return Place(text); }

Placing ClipboardChooser::PlacePieces(const TextPieces& text) { return Place(text); }

bool ClipboardChooser::SetClipboardText(const std::string& text) {
    return PlaceText(text).kind == Placing::Kind::Placed;
}

bool ClipboardChooser::SetClipboardPieces(const TextPieces& text) {
    return PlacePieces(text).kind == Placing::Kind::Placed;
}

std::vector<std::unique_ptr<ClipboardSink>> LinuxClipboardSinks() {
    std::vector<std::unique_ptr<ClipboardSink>> sinks;
    sinks.push_back(std::make_unique<WaylandOwnerSink>());
    sinks.push_back(std::make_unique<WlCopySink>());
    sinks.push_back(std::make_unique<X11OwnerSink>());
    sinks.push_back(std::make_unique<StandardOutputSink>());
    return sinks;
}

}  // namespace kirramo::posix
