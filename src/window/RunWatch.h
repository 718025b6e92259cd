// A run's collection on a thread of its own, watched by the thread that started it: the
// thread that draws the progress (a window, a line on a terminal) and hears the user's
// 中止. What every driver of the program's runs (RunDriver) does alike lives here: the
// progress window's form and its clock, how often the run is looked at, and when a
// cancelled collection that does not end is given up.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "collect/RunProgress.h"
#include "window/ProgressForm.h"

namespace kirramo {

class RunWatch {
public:
    // How often the watching thread looks at the run: the delay of a 中止 that it
    // passes on, and of the end of the run.
    static constexpr std::chrono::milliseconds kPoll{20};
    // How long a cancelled collection may take to notice it. One that takes longer
    // waits on a file system that does not answer; the driver then ends the program
    // without it (kRunCancelled: nothing placed; whatever is saved was saved before).
    static constexpr std::chrono::milliseconds kAbandonAfter{150};

    enum class State {
        Running,
        Ended,  // the collection has ended; Finish collects it
        Stuck,  // cancelled more than kAbandonAfter ago, and the collection still runs
    };

    // Starts the collection on a new thread (which takes the caller's signal mask).
    RunWatch(RunProgress& progress, std::function<void()> collect);
    // Where Finish was not reached (the watching thread failed), the run is cancelled
    // and its thread waited for.
    ~RunWatch();
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    // Waits up to `wait` for the collection to end (zero: only looks) and tells how
    // the run stands.
    State Poll(std::chrono::milliseconds wait);

    // The progress window's form over the run's progress; the view hands it the
    // user's 中止.
    ProgressForm& Form() { return form_; }
    // The form's clock: true when the view should draw the form now.
    bool Tick() { return form_.Tick(ElapsedMs()); }
    int64_t ElapsedMs() const;

    // Waits for the collection thread and passes on what the collection threw.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    RunProgress& progress_;
    ProgressForm form_;
    const Clock::time_point start_;
    std::optional<Clock::time_point> cancelledAt_;
    std::mutex lock_;
    std::condition_variable ended_;
    bool done_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};

}  // namespace kirramo
