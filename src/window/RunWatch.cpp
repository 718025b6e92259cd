#include "window/RunWatch.h"

namespace kirramo {

RunWatch::RunWatch(RunProgress& progress, std::function<void()> collect)
    : progress_(progress), form_(progress), start_(Clock::now()) {
    worker_ = std::thread([this, collect = std::move(collect)] {
        try {
            collect();
        } catch (...) {
            failure_ = std::current_exception();
        }
        std::lock_guard<std::mutex> hold(lock_);
        done_ = true;
        ended_.notify_one();
    });
}

RunWatch::~RunWatch() {
    if (!worker_.joinable()) return;
    progress_.Cancel();
    worker_.join();
}

RunWatch::State RunWatch::Poll(std::chrono::milliseconds wait) {
    // The time of a 中止 is taken when it is first seen, before and after the wait.
    const auto notice = [this] {
        if (!cancelledAt_ && progress_.Cancelled()) cancelledAt_ = Clock::now();
    };
    notice();
    {
        std::unique_lock<std::mutex> hold(lock_);
        if (ended_.wait_for(hold, wait, [this] { return done_; })) return State::Ended;
    }
    notice();
    return cancelledAt_ && Clock::now() - *cancelledAt_ > kAbandonAfter ? State::Stuck : State::Running;
}

int64_t RunWatch::ElapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
}

void RunWatch::Finish() {
    worker_.join();
    if (failure_) std::rethrow_exception(failure_);
}

}  // namespace kirramo
