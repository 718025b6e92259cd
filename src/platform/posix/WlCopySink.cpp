// The Wayland clipboard, through wl-copy, where the compositor offers no data-control:
// it keeps serving the text after this program has ended, as the owner processes do.
//
// Each way this can fail hands the text to the next road (the X11 owner where DISPLAY
// is set, else standard output) with the cause: no compositor at WAYLAND_DISPLAY, no wl-copy, a wl-copy that fails, and one
// that has not finished in time (as with a compositor that has no seat, where wl-copy
// waits for good). Nothing here is worth trying again.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/posix/ClipboardSink.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"

extern char** environ;

namespace kirramo::posix {

namespace {

using Clock = std::chrono::steady_clock;

// How long wl-copy may take to take the text and hand it to its server process.
constexpr int kWlCopySeconds = 15;

PlaceResult Unreachable(std::string why) { return {PlaceResult::Kind::Unreachable, std::move(why)}; }

// Waits for the process to end, up to the deadline. True, with its wait status, when it
// ended; a status that cannot be collected (SIGCHLD ignored) counts as success.
bool WaitUntil(pid_t pid, Clock::time_point deadline, int& status) {
    // A descriptor of the process, which poll sees become readable when it ends; where
    // the system gives none, a look every few milliseconds.
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    bool ended = false;
    for (;;) {
        pid_t done;
        do {
            done = waitpid(pid, &status, WNOHANG);
        } while (done < 0 && errno == EINTR);
        if (done != 0) {
            if (done < 0) status = 0;
            ended = true;
            break;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        if (pidFd >= 0) {
            pollfd p{pidFd, POLLIN, 0};
            poll(&p, 1, static_cast<int>(left));
        } else {
            usleep(static_cast<useconds_t>(std::min<long long>(left, 5)) * 1000);
        }
    }
    if (pidFd >= 0) close(pidFd);
    return ended;
}

// Starts wl-copy with the text on its standard input, in a process group of its own
// in "/" (it must keep no folder busy), and waits for it up to the time limit.
template <class Text>
PlaceResult OfferToWlCopy(const Text& text) {
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) return Unreachable("wl-copy に渡すパイプを作れません。");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    // wl-copy leaves a server process behind that serves the text; it must not hold
    // on to this program's output, or a caller reading that output would wait for it.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    // Its own group: one that has not finished in time is ended with whatever it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    char prog[] = "wl-copy";
    char typeOpt[] = "--type";
    char type[] = "text/plain;charset=utf-8";
    char* argv[] = {prog, typeOpt, type, nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "wl-copy", &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    if (rc != 0) {
        close(input[1]);
        return Unreachable(std::string("wl-copy を起動できません（") + strerror(rc) + "）。");
    }

    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kWlCopySeconds);
    // Not blocking: a wl-copy that does not read must not hold this program past the limit.
    fcntl(input[1], F_SETFL, O_NONBLOCK);
    const bool written = WriteAll(input[1], text, deadline);
    const int writeError = errno;
    close(input[1]);
    const auto notTaken = [&] {
        return Unreachable(std::string("wl-copy にテキストを渡せません（") + strerror(writeError) + "）。");
    };
    // After a failed write, wl-copy has a moment to end and say why by its status.
    const Clock::time_point waitUntil = written ? deadline : std::min(deadline, Clock::now() + std::chrono::seconds(1));
    int status = 0;
    if (!WaitUntil(pid, waitUntil, status)) {
        kill(-pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (!written && writeError != ETIMEDOUT) return notTaken();
        return Unreachable("wl-copy が " + std::to_string(kWlCopySeconds) + " 秒たっても終わりません。");
    }
    if (WIFSIGNALED(status))
        return Unreachable("wl-copy が異常終了しました（シグナル " + std::to_string(WTERMSIG(status)) + "）。");
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return Unreachable("wl-copy がエラーで終わりました（終了コード " + std::to_string(WEXITSTATUS(status)) + "）。");
    if (!written) return notTaken();
    return {PlaceResult::Kind::Placed, {}};
}

template <class Text>
PlaceResult PlaceOnWayland(const Text& text) {
    // Whether a compositor listens there: the connection is closed at once, before a
    // word is said on it.
    const int compositor = ConnectToWaylandDisplay();
    if (compositor < 0) {
        const char* display = std::getenv("WAYLAND_DISPLAY");
        return Unreachable(std::string("Wayland のディスプレイ「") + (display ? display : "") + "」に接続できません。");
    }
    close(compositor);
    return OfferToWlCopy(text);
}

}  // namespace

bool WlCopySink::Available() const { return WaylandDisplayNamed(); }

PlaceResult WlCopySink::Place(const std::string& text) { return PlaceOnWayland(text); }

PlaceResult WlCopySink::Place(const TextPieces& text) { return PlaceOnWayland(text); }

}  // namespace kirramo::posix
