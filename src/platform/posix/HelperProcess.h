// A helper process: this program started afresh under another name (argv[0]), which
// the program's entry recognises, talking with this process over two pipes. Started
// with posix_spawn, which is safe while other threads run (fork is not: PrepareToFork),
// and the helper holds nothing of this process's memory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

namespace kirramo::posix {

class HelperProcess {
public:
    // Starts the helper in "/" (so that it keeps no volume busy), its standard error on
    // /dev/null. Running() tells whether it started.
    explicit HelperProcess(const char* name);
    // Stop(), with no wait.
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Whether the helper runs and its standard input takes what is sent.
    bool Running() const { return input_ >= 0; }

    // Sends a message to the helper's standard input without waiting: a message of at
    // most PIPE_BUF bytes arrives whole or not at all (dropped while the helper is busy
    // and its pipe full). False once the helper has gone; nothing more is sent then.
    bool Send(std::string_view message);

    // What the helper has written to its standard output since the last call, without
    // waiting.
    std::string Received();

    // Closes the helper's standard input and output, which tells it to end, and waits
    // up to `wait` for it to end; a helper that has not ended by then is killed.
    void Stop(std::chrono::milliseconds wait);

private:
    void CloseInput();

    pid_t pid_ = -1;
    int input_ = -1;   // the helper's standard input
    int output_ = -1;  // the helper's standard output
};

}  // namespace kirramo::posix
