#include "platform/posix/OwnerProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"

extern char** environ;

namespace kirramo::posix {

namespace {

// How long the program waits for the owner to report that it holds the clipboard.
constexpr int kOwnerReportMs = 15000;

// A process that holds no more than this of its own memory forks the owner itself:
// the owner keeps every page the process had, which for a small run (two files) is less
// than a megabyte, and a fork is quicker than a fresh start of the program.
constexpr size_t kForkOwnerBelow = size_t{2} << 20;

const OwnerRoad* RoadNamed(std::string_view name) {
    for (const OwnerRoad* road : {&kX11Owner, &kWaylandOwner})
        if (name == road->startName) return road;
    return nullptr;
}

// The owner process: detached from the program's terminal, files and folder, it holds
// the clipboard and serves it. Never returns.
[[noreturn]] void OwnerMain(const OwnerRoad& road, std::string text, int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // A reader that closes its end early must not end the owner, which still serves
    // everybody else.
    signal(SIGPIPE, SIG_IGN);

    // Keep only the report pipe: an inherited descriptor (the single-instance lock
    // among them) must not stay open for as long as the clipboard is served, and a
    // caller that reads the program's output must see it end when the program ends.
    if (reportFd != 3) {
        dup2(reportFd, 3);
        reportFd = 3;
    }
    StdioToDevNull();
    CloseFrom(4);
    if (chdir("/") != 0) {
        // Staying in the start folder only keeps its volume busy.
    }
    OwnerReport report(reportFd);
    road.serve(std::move(text), report);
    report(false);  // no answer given: the owner did not take the selection
    _exit(0);
}

// Forks the owner (through an intermediate child, so the owner is nobody's child
// and never stays a zombie) and waits until it reports. Only for a process with one
// thread (PrepareToFork): the owner start, or a small run.
bool ForkOwner(const OwnerRoad& road, std::string text) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        pid_t owner = fork();
        if (owner != 0) _exit(owner < 0 ? 1 : 0);
        OwnerMain(road, std::move(text), report[1]);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    char answer = '0';
    pollfd p{report[0], POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, kOwnerReportMs);
    } while (r < 0 && errno == EINTR);
    if (r > 0) {
        ssize_t n;
        do {
            n = read(report[0], &answer, 1);
        } while (n < 0 && errno == EINTR);
        if (n != 1) answer = '0';
    }
    // Closing the pipe also tells an owner that reports after the wait gave up that
    // nobody listens any more.
    close(report[0]);
    return answer == '1';
}

// Starts the program afresh as an owner start (its name, argv[0], says so) and hands
// it the text on a pipe: the owner is forked from that start, so it holds the text and
// nothing else of the run, however much memory the run took, and threads of the run
// do not matter. The start answers on its standard output, which does not depend on
// this process being able to collect its exit status.
template <class Text>
bool SpawnOwner(const OwnerRoad& road, const Text& text) {
    int input[2], answer[2];
    if (pipe2(input, O_CLOEXEC) != 0) return false;
    if (pipe2(answer, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, answer[1], 1);
    // Staying in the start folder would only keep its volume busy.
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    char* argv[] = {const_cast<char*>(road.startName), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(answer[1]);
    char result = '0';
    if (rc == 0) {
        WriteAll(input[1], text);
        close(input[1]);
        ssize_t n;
        do {
            n = read(answer[0], &result, 1);
        } while (n < 0 && errno == EINTR);
        if (n != 1) result = '0';
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    } else {
        close(input[1]);
    }
    close(answer[0]);
    return result == '1';
}

std::string Joined(const std::string& text) { return text; }
std::string Joined(const TextPieces& text) { return text.Joined(); }

template <class Text>
bool StartOwnerOf(const OwnerRoad& road, const Text& text) {
    if (ResidentOwnBytes() <= kForkOwnerBelow && PrepareToFork(nullptr)) return ForkOwner(road, Joined(text));
    return SpawnOwner(road, text);
}

}  // namespace

void OwnerReport::operator()(bool holds) {
    if (fd_ < 0) return;
    WriteAll(fd_, holds ? "1" : "0", 1);
    close(fd_);
    fd_ = -1;
}

bool StartOwner(const OwnerRoad& road, const std::string& text) { return StartOwnerOf(road, text); }

bool StartOwner(const OwnerRoad& road, const TextPieces& text) { return StartOwnerOf(road, text); }

bool IsClipboardOwnerStart(const char* name) { return name && RoadNamed(name) != nullptr; }

int RunClipboardOwnerStart(const char* name) {
    const OwnerRoad* road = name ? RoadNamed(name) : nullptr;
    std::string text;
    // A start of its own runs on one thread; the rule is asked all the same.
    const bool ok = road && ReadAll(0, text) && PrepareToFork(nullptr) && ForkOwner(*road, std::move(text));
    WriteAll(1, ok ? "1" : "0", 1);
    return ok ? 0 : 1;
}

}  // namespace kirramo::posix
