// Standard output as the clipboard's last road: where a run without any display puts
// its text, and where the text goes when the clipboard that the session names cannot
// be reached.
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/ClipboardSink.h"
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

// An output that could not be written (a closed pipe, a full disk, a closed standard
// output): failed for good. Trying again would write again what was written already.
PlaceResult Written(bool ok) {
    if (ok) return {PlaceResult::Kind::Placed, {}};
    return {PlaceResult::Kind::Failed,
            std::string("標準出力に書き出せませんでした（") + strerror(errno) + "）。"};
}

}  // namespace

PlaceResult StandardOutputSink::Place(const std::string& text) {
    PipeSignalIgnored ignored;
    return Written(WriteAll(STDOUT_FILENO, text));
}

PlaceResult StandardOutputSink::Place(const TextPieces& text) {
    PipeSignalIgnored ignored;
    return Written(WriteAll(STDOUT_FILENO, text));
}

}  // namespace kirramo::posix
