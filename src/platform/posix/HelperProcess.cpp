#include "platform/posix/HelperProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "platform/posix/DesktopProcess.h"

extern char** environ;

namespace kirramo::posix {

HelperProcess::HelperProcess(const char* name) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    char* argv[] = {const_cast<char*>(name), nullptr};
    const int rc = posix_spawn(&pid_, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    if (rc != 0) {
        pid_ = -1;
        close(input[1]);
        close(output[0]);
        return;
    }
    // This side never waits on the pipes.
    fcntl(input[1], F_SETFL, O_NONBLOCK);
    fcntl(output[0], F_SETFL, O_NONBLOCK);
    input_ = input[1];
    output_ = output[0];
}

HelperProcess::~HelperProcess() { Stop(std::chrono::milliseconds(0)); }

bool HelperProcess::Send(std::string_view message) {
    if (input_ < 0) return false;
    // A deadline that has passed: a full pipe takes nothing, and the message is dropped.
    if (WriteAll(input_, message, std::chrono::steady_clock::now()) || errno != EPIPE) return true;
    CloseInput();
    return false;
}

std::string HelperProcess::Received() {
    std::string got;
    char buf[512];
    while (output_ >= 0) {
        const ssize_t n = read(output_, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) {  // the helper has closed its end
            close(output_);
            output_ = -1;
        }
        break;
    }
    return got;
}

void HelperProcess::CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

void HelperProcess::Stop(std::chrono::milliseconds wait) {
    CloseInput();
    if (output_ >= 0) close(output_);
    output_ = -1;
    if (pid_ < 0) return;
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const pid_t r = waitpid(pid_, nullptr, WNOHANG);
        // Ended, or not to be waited for (SIGCHLD ignored: the system reaps it).
        if (r == pid_ || (r < 0 && errno != EINTR)) break;
        if (r == 0 && std::chrono::steady_clock::now() >= end) {
            kill(pid_, SIGKILL);
            while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
}

}  // namespace kirramo::posix
