// Standard output as the clipboard's last road: where a run without any display puts
// its text, and where the text goes when the display that the session names cannot be
// reached.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/ClipboardSink.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"

namespace kirramo::posix {
namespace {

// SIGPIPE ignored for as long as it lives: writing to a closed standard output then
// fails instead of ending the program.
class PipeSignalIgnored {
public:
    PipeSignalIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &old_);
    }
    ~PipeSignalIgnored() { sigaction(SIGPIPE, &old_, nullptr); }
    PipeSignalIgnored(const PipeSignalIgnored&) = delete;
    PipeSignalIgnored& operator=(const PipeSignalIgnored&) = delete;

private:
    struct sigaction old_ {};
};

// Told on standard error when the text comes here although the session names a display:
// every road to that display fell through, as when DISPLAY names a server that does not
// answer.
constexpr const char* kNoDisplayNote =
    "ディスプレイに接続できないため、クリップボードの代わりに標準出力へ書き出しました。\n";

void NoteWhenStandingInForADisplay() {
    if (DetectDisplay() != DisplayKind::None) fputs(kNoDisplayNote, stderr);
}

// A closed pipe or an output that cannot be written: not placed, and the core tries again.
PlaceResult Written(bool ok) { return ok ? PlaceResult::Placed : PlaceResult::Busy; }

}  // namespace

PlaceResult StandardOutputSink::Place(const std::string& text) {
    NoteWhenStandingInForADisplay();
    PipeSignalIgnored ignored;
    return Written(WriteAll(STDOUT_FILENO, text.data(), text.size()));
}

PlaceResult StandardOutputSink::Place(const TextPieces& text) {
    NoteWhenStandingInForADisplay();
    PipeSignalIgnored ignored;
    constexpr size_t kBuffer = size_t{256} << 10;
    std::string buffer;
    buffer.reserve(kBuffer);
    const bool ok = text.Each([&](std::string_view piece) {
        if (buffer.size() + piece.size() > kBuffer) {
            if (!WriteAll(STDOUT_FILENO, buffer.data(), buffer.size())) return false;
            buffer.clear();
            if (piece.size() >= kBuffer) return WriteAll(STDOUT_FILENO, piece.data(), piece.size());
        }
        buffer += piece;
        return true;
    });
    return Written(ok && WriteAll(STDOUT_FILENO, buffer.data(), buffer.size()));
}

}  // namespace kirramo::posix
