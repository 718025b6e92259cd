// The watch over a collection on its own thread: it ends when the collection does,
// passes on what the collection threw, and gives up a cancelled collection that does
// not end only after RunWatch::kAbandonAfter.
#include "window/RunWatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

namespace kirramo {
namespace {

using std::chrono::milliseconds;
using State = RunWatch::State;

TEST(RunWatch, EndsWithTheCollectionAndGivesUpOnlyAStoppedOneThatHangs) {
    RunProgress progress;
    std::atomic<bool> release{false};
    RunWatch watch(progress, [&] {
        while (!release) std::this_thread::sleep_for(milliseconds(1));
    });
    EXPECT_EQ(watch.Poll(milliseconds(0)), State::Running);
    // A collection that hangs is not given up before it was cancelled ...
    EXPECT_EQ(watch.Poll(RunWatch::kAbandonAfter * 2), State::Running);
    EXPECT_FALSE(watch.Form().IsCancelled());

    // ... and then only after kAbandonAfter.
    watch.Form().Cancel();
    EXPECT_TRUE(progress.Cancelled());
    const auto cancelled = std::chrono::steady_clock::now();
    State state = State::Running;
    while (state == State::Running && std::chrono::steady_clock::now() - cancelled < std::chrono::seconds(5))
        state = watch.Poll(RunWatch::kPoll);
    EXPECT_EQ(state, State::Stuck);
    EXPECT_GE(std::chrono::steady_clock::now() - cancelled, RunWatch::kAbandonAfter);

    release = true;
    EXPECT_EQ(watch.Poll(std::chrono::seconds(5)), State::Ended);
    watch.Finish();
}

TEST(RunWatch, PassesOnWhatTheCollectionThrew) {
    RunProgress progress;
    RunWatch watch(progress, [] { throw std::runtime_error("listing failed"); });
    EXPECT_EQ(watch.Poll(std::chrono::seconds(5)), State::Ended);
    EXPECT_THROW(watch.Finish(), std::runtime_error);
}

TEST(RunWatch, AWatchLeftEarlyCancelsTheRunAndWaitsForIt) {
    RunProgress progress;
    std::atomic<bool> ended{false};
    {
        RunWatch watch(progress, [&] {
            while (!progress.Cancelled()) std::this_thread::sleep_for(milliseconds(1));
            ended = true;
        });
    }
    EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace kirramo
