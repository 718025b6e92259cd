#include "platform/posix/DesktopProcess.h"

#include "platform/posix/Desktop.h"
#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kirramo::posix {

// Here rather than beside the X11 code: Xlib defines None as a macro.
DisplayKind DetectDisplay() {
    const char* x = std::getenv("DISPLAY");
    if (x && *x) return DisplayKind::X11;
    if (WaylandDisplayNamed()) return DisplayKind::Wayland;
    return DisplayKind::None;
}

bool WaylandDisplayNamed() {
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return w && *w;
}

int ConnectToWaylandDisplay() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    std::string path = display ? display : "";
    if (path.empty()) return -1;
    if (path[0] != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || !*runtime) return -1;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return fd;
    close(fd);
    return -1;
}

namespace {

bool IsSingleThreaded() {
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return false;  // unknown: take the careful road
    int count = 0;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count == 1;
}

}  // namespace

bool PrepareToFork(LookupTeam* lookups) {
    if (lookups) lookups->Stop();
    return IsSingleThreaded();
}

size_t ResidentOwnBytes() {
    // statm: size, resident and shared (the file pages among the resident ones), in pages.
    FILE* statm = std::fopen("/proc/self/statm", "re");
    if (!statm) return SIZE_MAX;
    unsigned long size = 0, resident = 0, shared = 0;
    const bool read = std::fscanf(statm, "%lu %lu %lu", &size, &resident, &shared) == 3;
    std::fclose(statm);
    if (!read || shared > resident) return SIZE_MAX;
    return (resident - shared) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

namespace {

// Waits until fd takes more bytes or the deadline passes. False with errno set when
// it passed (ETIMEDOUT) or poll failed.
bool WaitToWrite(int fd, const Deadline& deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                errno = ETIMEDOUT;
                return false;
            }
            timeout = static_cast<int>(std::min<int64_t>(left.count(), INT_MAX));
        }
        pollfd p{fd, POLLOUT, 0};
        const int r = poll(&p, 1, timeout);
        if (r > 0) return true;  // writable, or an error that the next write reports
        if (r < 0 && errno != EINTR) return false;
    }
}

}  // namespace

bool WriteAll(int fd, const char* data, size_t size, Deadline deadline) {
    // Block SIGPIPE on this thread while writing; a SIGPIPE raised by a closed reader
    // is then taken off the pending set before the old mask comes back.
    sigset_t pipeOnly, old;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);

    int error = 0;
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            // A descriptor that would block: wait until it takes more, then go on with
            // what is left. Nothing written is written again.
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitToWrite(fd, deadline)) continue;
            error = errno;
            break;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    if (error == EPIPE && !wasPending) {
        timespec zero{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return error == 0;
}

bool WriteAll(int fd, const TextPieces& text, Deadline deadline) {
    constexpr size_t kBuffer = size_t{256} << 10;
    std::string buffer;
    buffer.reserve(std::min(kBuffer, text.Size()));
    const bool ok = text.Each([&](std::string_view piece) {
        if (buffer.size() + piece.size() > kBuffer) {
            if (!WriteAll(fd, buffer.data(), buffer.size(), deadline)) return false;
            buffer.clear();
            if (piece.size() >= kBuffer) return WriteAll(fd, piece.data(), piece.size(), deadline);
        }
        buffer += piece;
        return true;
    });
    return ok && WriteAll(fd, buffer.data(), buffer.size(), deadline);
}

bool ReadAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
    }
}

void OpenClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // The lower ones are open by now, so the lowest free number is this one.
        const int opened = open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
}

void CloseFrom(int first) {
    if (close_range(static_cast<unsigned>(first), ~0U, 0) == 0) return;
    // A kernel without close_range: the open descriptors are listed in /proc.
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return;
    std::vector<int> open;
    const int own = dirfd(dir);
    while (dirent* e = readdir(dir)) {
        int fd = std::atoi(e->d_name);
        if (e->d_name[0] != '.' && fd >= first && fd != own) open.push_back(fd);
    }
    closedir(dir);
    for (int fd : open) close(fd);
}

void EndWithStuckThread(int status) {
    CloseFrom(3);
    _exit(status);
}

void StdioToDevNull() {
    int fd = open("/dev/null", O_RDWR);
    if (fd < 0) return;
    for (int target = 0; target <= 2; ++target) {
        if (fd != target) dup2(fd, target);
    }
    if (fd > 2) close(fd);
}

std::string ProgramPath() {
    std::string buf(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

void WriteToStandardError(const std::string& text) {
    std::string line = text;
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fflush(stderr);
    WriteAll(2, line.data(), line.size());
}

}  // namespace kirramo::posix
