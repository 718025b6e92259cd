// What a run driver does whatever shows the progress (a window, a line on a terminal):
// the collection on a thread of its own, and the clock of the loop that watches it,
// which says when to draw the progress form and when to give up a stopped collection
// that does not end because a file system does not answer.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

#include "window/ProgressForm.h"

namespace kirramo {

// The collection of a run on a thread of its own, started at once. `ended` runs on that
// thread when the collection has returned or thrown, to wake whoever waits for it.
class CollectionThread {
public:
    CollectionThread(std::function<void()> collect, std::function<void()> ended);
    // Waits for the thread, unless Finish has.
    ~CollectionThread();
    CollectionThread(const CollectionThread&) = delete;
    CollectionThread& operator=(const CollectionThread&) = delete;

    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    // Waits for the thread and passes on what the collection threw.
    void Finish();

private:
    std::exception_ptr failure_;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

// The clock of a driver's loop, which looks at the run about every kPoll.
class RunWatch {
public:
    using Clock = std::chrono::steady_clock;
    // How often the loop looks at the run, and how long a stopped collection may take to
    // notice the stop before the program ends without it.
    static constexpr std::chrono::milliseconds kPoll{20};
    static constexpr std::chrono::milliseconds kAbandonAfter{150};

    enum class Turn {
        Wait,     // nothing to do
        Draw,     // draw the form: it appears, or its texts were refreshed
        Abandon,  // the run was stopped kAbandonAfter ago and goes on: end the program
    };

    RunWatch(ProgressForm& form, Clock::time_point start) : form_(form), start_(start) {}
    // What the loop does at this time. The stop is timed from the first turn that finds
    // the form cancelled, so the loop asks again right after handing it a user's action.
    Turn At(Clock::time_point now);

private:
    ProgressForm& form_;
    const Clock::time_point start_;
    std::optional<Clock::time_point> cancelledAt_;
};

}  // namespace kirramo
