// The Linux program's entry. The process-wide settings of the program are made here,
// in sight, and handed to the backend: nothing the backend does on its own changes the
// process as a whole.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "options/OptionSet.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "platform/posix/HeapPages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "startup/Main.h"
#include "window/ProgressForm.h"
#include "window/qt/host/QtModuleHost.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) { stopSignal = 1; }

// The progress of a run as one line on standard error, when that is a terminal:
// rewritten in place and erased at the end, so that nothing of it stays behind.
class TerminalLine {
public:
    TerminalLine() : enabled_(isatty(STDERR_FILENO) == 1) {}
    void Draw(const kirramo::ProgressForm& form) {
        if (!enabled_) return;
        std::string text = "\r" + form.At("LblCounts").caption;
        if (const std::string& folder = form.At("LblFolder").caption; !folder.empty()) text += "  " + folder;
        kirramo::posix::WriteAll(STDERR_FILENO, text + "\x1b[K");
        drawn_ = true;
    }
    void Erase() {
        if (drawn_) kirramo::posix::WriteAll(STDERR_FILENO, "\r\x1b[K");
        drawn_ = false;
    }

private:
    const bool enabled_;
    bool drawn_ = false;
};

// The runs of the program without a window: the collection on a thread of its own,
// while this thread draws the progress line and turns SIGINT and SIGTERM into 中止.
// The collection thread has ended when Collect returns, so the text is placed with
// the program back on one thread (placing may fork: PrepareToFork).
class TerminalRunDriver final : public kirramo::RunDriver {
public:
    void Collect(kirramo::RunProgress& progress, const std::function<void()>& collect) override {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();

        // The handlers stand only while the collection runs: the clipboard owner, forked
        // later, must end of these signals as any program does. The collection thread
        // blocks them, so that they reach this thread and no listing is interrupted.
        struct sigaction stop {}, oldInt{}, oldTerm{};
        stop.sa_handler = OnStopSignal;
        stop.sa_flags = SA_RESTART;
        sigemptyset(&stop.sa_mask);
        // A signal that the caller had ignored (a shell's background job and SIGINT) stays ignored.
        sigaction(SIGINT, nullptr, &oldInt);
        sigaction(SIGTERM, nullptr, &oldTerm);
        if (oldInt.sa_handler != SIG_IGN) sigaction(SIGINT, &stop, nullptr);
        if (oldTerm.sa_handler != SIG_IGN) sigaction(SIGTERM, &stop, nullptr);
        sigset_t stopSignals, before;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stopSignals, &before);

        std::mutex lock;
        std::condition_variable ended;
        bool done = false;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                collect();
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard<std::mutex> hold(lock);
            done = true;
            ended.notify_one();
        });
        pthread_sigmask(SIG_SETMASK, &before, nullptr);

        kirramo::ProgressForm form(progress);
        TerminalLine line;
        std::optional<Clock::time_point> cancelledAt;
        std::unique_lock<std::mutex> hold(lock);
        while (!ended.wait_for(hold, kPoll, [&] { return done; })) {
            const Clock::time_point now = Clock::now();
            if (stopSignal && !cancelledAt) {
                form.Cancel();
                cancelledAt = now;
            }
            if (cancelledAt && now - *cancelledAt > kAbandonAfter) {
                // The collection waits on a file system that does not answer: the
                // program ends here, with nothing placed and nothing saved.
                line.Erase();
                _exit(kirramo::kRunCancelled);
            }
            if (form.Tick(std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count()))
                line.Draw(form);
        }
        hold.unlock();
        worker.join();
        line.Erase();
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
        if (stopSignal) progress.Cancel();
        if (failure) std::rethrow_exception(failure);
    }

private:
    // How often a stop signal is looked for, and how long a stopped collection may take
    // to notice it before the program ends without it.
    static constexpr std::chrono::milliseconds kPoll{20};
    static constexpr std::chrono::milliseconds kAbandonAfter{150};
};

}  // namespace

int main(int argc, char** argv) {
    namespace posix = kirramo::posix;

    // Standard input, output and error that the caller closed are opened on /dev/null
    // before anything else, so that no file opened later (the single-instance lock)
    // takes their number and receives the text meant for standard output.
    posix::OpenClosedStandardDescriptors();

    // The program started afresh by itself to serve the clipboard: its name says so, and
    // nothing else runs. A path on the command line cannot be taken for it.
    if (argc == 1 && posix::IsClipboardOwnerStart(argv[0])) return posix::RunClipboardOwnerStart(argv[0]);

    // The options come out of the command line before the paths are made absolute:
    // --help, --version and a wrong option are answered here, and nothing else runs.
    posix::CommandLine line = posix::ReadCommandLine(posix::ArgumentsAfterName(argc, argv));
    if (line.answer != posix::CommandLine::Answer::None) return posix::AnswerCommandLine(line, KIRRAMO_VERSION);

    // A second thread shares the size and time look-ups of a listing's entries (the size
    // and time columns of benchmark scenario P2). It starts with the first large listing
    // and is stopped by PrepareToFork before the program forks (the message box's
    // process).
    posix::LookupTeam lookups;

    posix::PosixWiring wiring;
    wiring.lookups = &lookups;
    // The heap in large pages, for the big listings of benchmark scenarios P1, P2, P4
    // and P6; taken only once a folder is listed, so a run that lists nothing (scenario
    // P5: two files to the clipboard) never pays for them.
    wiring.beforeFirstListing = posix::UseLargePagesForTheHeap;
    // The message box comes from the Qt module, loaded only when a box is shown.
    wiring.messageBox = [&lookups](const std::string& text) {
        kirramo::ShowMessageBoxWithQt(text, [&lookups] { return posix::PrepareToFork(&lookups); });
    };

    posix::PosixPlatform platform(std::move(line.paths), std::move(wiring));
    kirramo::Session session;
    // The settings window comes from the Qt module too, loaded only when it is shown.
    kirramo::QtModuleWindowHost windows;
    // The runs without a window: a collection thread, the progress line on a terminal,
    // and SIGINT and SIGTERM as 中止.
    TerminalRunDriver runs;
    return kirramo::Main(session, platform, windows, line.launch, &runs);
}
