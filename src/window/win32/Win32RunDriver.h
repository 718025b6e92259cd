// The runs of the Windows program: the collection on a thread of its own while the
// thread that serves the windows shows the progress window and turns 中止 into a stop.
#pragma once

#include <functional>

#include "collect/RunProgress.h"

namespace kirramo::win32 {

class Win32RunDriver final : public RunDriver {
public:
    // `abandon` ends the program when a stopped collection has not ended in time (it
    // waits on a file system that does not answer); by default the process ends at
    // once with status 0, as every run of the Windows program does, nothing placed.
    explicit Win32RunDriver(std::function<void()> abandon = {});

    // Starts the collection on its own thread and serves this thread's windows until it
    // has ended: the settings window (disabled by its view while its run goes on) and
    // the progress window, which appears after half a second and goes when the run has
    // ended. A stop that the collection does not notice within 150 ms ends the program.
    //
    // A message that the collection shows (the short-form failure of a path) is shown
    // at once on the collection's thread, owned by no window: the collection waits for
    // the user's OK as it always has, and the progress window stays served meanwhile,
    // so 中止 works also while a message box waits.
    void Collect(RunProgress& progress, const std::function<void()>& collect) override;

private:
    std::function<void()> abandon_;
};

}  // namespace kirramo::win32
