// The clock of a run driver's loop, and the collection's own thread.
#include "window/RunWatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace kirramo {
namespace {

TEST(RunWatch, DrawsAsTheFormTicksAndGivesUpAStoppedRunAfter150Ms) {
    RunProgress progress;
    ProgressForm form(progress);
    const RunWatch::Clock::time_point start{};
    RunWatch watch(form, start);
    using Turn = RunWatch::Turn;
    // The turns of the loop (ms since the start); 中止 comes just before the turn at 610.
    const struct {
        int at;
        Turn turn;
    } turns[] = {{0, Turn::Wait},   {499, Turn::Wait}, {500, Turn::Draw}, {550, Turn::Wait}, {600, Turn::Draw},
                 {610, Turn::Wait}, {700, Turn::Draw}, {760, Turn::Wait}, {761, Turn::Abandon}};
    for (const auto& t : turns) {
        if (t.at == 610) form.Run(Command::Cancel);
        EXPECT_EQ(watch.At(start + std::chrono::milliseconds(t.at)), t.turn) << t.at;
    }
}

TEST(CollectionThread, RunsOffTheCallersThreadAndPassesOnWhatTheCollectionThrew) {
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id collectedOn, endedOn;
    CollectionThread quiet([&] { collectedOn = std::this_thread::get_id(); },
                           [&] { endedOn = std::this_thread::get_id(); });
    quiet.Finish();
    EXPECT_TRUE(quiet.Ended());
    EXPECT_NE(collectedOn, caller);
    EXPECT_EQ(endedOn, collectedOn);

    bool woken = false;
    CollectionThread failing([] { throw std::runtime_error("listing failed"); }, [&] { woken = true; });
    EXPECT_THROW(failing.Finish(), std::runtime_error);
    EXPECT_TRUE(woken);
}

}  // namespace
}  // namespace kirramo
