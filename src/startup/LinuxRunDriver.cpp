#include "startup/LinuxRunDriver.h"

#include <signal.h>
#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>
#include <string>

#include "collect/CollectPaths.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "platform/posix/HelperProcess.h"
#include "window/RunWatch.h"
#include "window/qt/host/QtModuleHost.h"

namespace kirramo::posix {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) { stopSignal = 1; }

// SIGINT and SIGTERM turn into 中止 while a collection runs. The handlers stand only
// that long: the clipboard owner, forked later, must end of these signals as any
// program does. A signal that the caller had ignored (a shell's background job and
// SIGINT) stays ignored.
class StopSignals {
public:
    StopSignals() {
        struct sigaction stop {};
        stop.sa_handler = OnStopSignal;
        stop.sa_flags = SA_RESTART;
        sigemptyset(&stop.sa_mask);
        sigaction(SIGINT, nullptr, &oldInt_);
        sigaction(SIGTERM, nullptr, &oldTerm_);
        if (oldInt_.sa_handler != SIG_IGN) sigaction(SIGINT, &stop, nullptr);
        if (oldTerm_.sa_handler != SIG_IGN) sigaction(SIGTERM, &stop, nullptr);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    bool Received() const { return stopSignal != 0; }

    // Blocks the signals on the calling thread while it lives: a thread started
    // meanwhile keeps them blocked, so that they reach the watching thread and no
    // listing is interrupted.
    class Blocked {
    public:
        Blocked() {
            sigset_t stopSignals;
            sigemptyset(&stopSignals);
            sigaddset(&stopSignals, SIGINT);
            sigaddset(&stopSignals, SIGTERM);
            pthread_sigmask(SIG_BLOCK, &stopSignals, &before_);
        }
        ~Blocked() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

    private:
        sigset_t before_;
    };

private:
    struct sigaction oldInt_ {}, oldTerm_{};
};

// The progress of a run as one line on standard error, when that is a terminal:
// rewritten in place and erased at the end, so that nothing of it stays behind.
class TerminalLine {
public:
    TerminalLine() : enabled_(isatty(STDERR_FILENO) == 1) {}
    ~TerminalLine() { Erase(); }
    void Draw(const ProgressForm& form) {
        if (!enabled_) return;
        std::string text = "\r" + form.At("LblCounts").caption;
        if (const std::string& folder = form.At("LblFolder").caption; !folder.empty()) text += "  " + folder;
        WriteAll(STDERR_FILENO, text + "\x1b[K");
        drawn_ = true;
    }
    void Erase() {
        if (drawn_) WriteAll(STDERR_FILENO, "\r\x1b[K");
        drawn_ = false;
    }

private:
    const bool enabled_;
    bool drawn_ = false;
};

// The progress window of the run, in a process of its own. The toolkit stays out of
// this process: loaded, it would cost a quick run more than the run itself, and its
// threads would stay after the run, when the clipboard owner is forked. Nor can the
// window's process be forked from this one while the collection's thread runs: it is
// the program started afresh (HelperProcess). It is started when the form first
// appears, where the session has a display, and is fed the run's progress whenever the
// form is drawn; it ends when the run has ended and its pipe is closed.
class WindowProcess {
public:
    void Draw(const RunProgress& progress) {
        if (!helper_ && !tried_) {
            tried_ = true;
            if (DetectDisplay() != DisplayKind::None) helper_.emplace(kProgressWindowArgument);
        }
        if (helper_) helper_->Send(ProgressRecord(progress));
    }
    // Whether the user asked for 中止 in the window.
    bool CancelAsked() {
        if (!helper_) return false;
        answer_ += helper_->Received();
        return answer_.find(kProgressCancelLine) != std::string::npos;
    }
    // Closes the window. A window process that does not end at once (a display that does
    // not answer) is not waited for long.
    void Close() {
        if (helper_) helper_->Stop(std::chrono::milliseconds(300));
        helper_.reset();
    }

private:
    std::optional<HelperProcess> helper_;
    bool tried_ = false;
    std::string answer_;
};

}  // namespace

void DirectRunDriver::Collect(RunProgress& progress, const std::function<void()>& collect) {
    StopSignals signals;
    // The loop looks at the run every RunWatch::kPoll, and at once when it has ended.
    std::mutex lock;
    std::condition_variable woken;
    std::optional<CollectionThread> collection;
    {
        StopSignals::Blocked blocked;
        collection.emplace(collect, [&] {
            std::lock_guard<std::mutex> hold(lock);
            woken.notify_one();
        });
    }
    ProgressForm form(progress);
    RunWatch watch(form, RunWatch::Clock::now());
    TerminalLine line;
    WindowProcess window;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock);
            if (woken.wait_for(hold, RunWatch::kPoll, [&] { return collection->Ended(); })) break;
        }
        if ((signals.Received() || window.CancelAsked()) && !form.IsCancelled()) form.Cancel();
        switch (watch.At(RunWatch::Clock::now())) {
        case RunWatch::Turn::Wait:
            break;
        case RunWatch::Turn::Draw:
            line.Draw(form);
            window.Draw(progress);
            break;
        case RunWatch::Turn::Abandon:
            // The collection waits on a file system that does not answer: the program
            // ends here, with nothing placed and nothing saved.
            line.Erase();
            EndWithStuckThread(kRunCancelled);
        }
    }
    line.Erase();
    window.Close();
    // A signal that came after the last look still cancels the run: nothing is placed.
    if (signals.Received()) progress.Cancel();
    collection->Finish();
}

}  // namespace kirramo::posix
