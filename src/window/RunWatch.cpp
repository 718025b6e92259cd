#include "window/RunWatch.h"

#include <utility>

namespace kirramo {

CollectionThread::CollectionThread(std::function<void()> collect, std::function<void()> ended)
    : thread_([this, collect = std::move(collect), ended = std::move(ended)] {
          try {
              collect();
          } catch (...) {
              failure_ = std::current_exception();
          }
          ended_.store(true, std::memory_order_release);
          if (ended) ended();
      }) {}

CollectionThread::~CollectionThread() {
    if (thread_.joinable()) thread_.join();
}

void CollectionThread::Finish() {
    if (thread_.joinable()) thread_.join();
    if (std::exception_ptr failure = std::exchange(failure_, nullptr)) std::rethrow_exception(failure);
}

RunWatch::Turn RunWatch::At(Clock::time_point now) {
    if (form_.IsCancelled() && !cancelledAt_) cancelledAt_ = now;
    if (cancelledAt_ && now - *cancelledAt_ > kAbandonAfter) return Turn::Abandon;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
    return form_.Tick(elapsed) ? Turn::Draw : Turn::Wait;
}

}  // namespace kirramo
