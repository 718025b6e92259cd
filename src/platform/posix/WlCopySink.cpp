// The Wayland clipboard, through wl-copy: it keeps serving the text after this program
// has ended, as the X11 owner process does.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/ClipboardSink.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"

extern char** environ;

namespace kirramo::posix {

namespace {

bool OfferToWlCopy(const std::string& text) {
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    // wl-copy leaves a server process behind that serves the text; it must not hold
    // on to this program's output, or a caller reading that output would wait for it.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char prog[] = "wl-copy";
    char typeOpt[] = "--type";
    char type[] = "text/plain;charset=utf-8";
    char* argv[] = {prog, typeOpt, type, nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "wl-copy", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    if (rc != 0) {
        close(input[1]);
        return false;
    }
    bool written = WriteAll(input[1], text.data(), text.size());
    close(input[1]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return written && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool WlCopySink::Available() const { return DetectDisplay() == DisplayKind::Wayland; }

PlaceResult WlCopySink::Place(const std::string& text) {
    // A failure (no compositor, wl-copy missing) counts as busy, as it always has: the
    // core tries again and then tells the user.
    return {OfferToWlCopy(text) ? PlaceResult::Kind::Placed : PlaceResult::Kind::Busy, {}};
}

}  // namespace kirramo::posix
