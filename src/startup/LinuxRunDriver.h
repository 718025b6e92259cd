// The driver of the Linux program's runs that no settings window started: the direct
// runs with the quick presets or the stored settings, and the window's run where no
// window can be shown.
#pragma once

#include "collect/RunProgress.h"

namespace kirramo::posix {

// The collection runs on a thread of its own while the program's main thread watches
// it: after half a second the progress window where the session has a display, and a
// progress line on standard error when that is a terminal; the window's 中止, SIGINT
// and SIGTERM stop the run. A cancelled collection that does not end within
// RunWatch::kAbandonAfter ends the program (kRunCancelled). The collection thread has
// ended when Collect returns, so the text is placed with the program back on one
// thread (placing may fork: PrepareToFork).
class DirectRunDriver final : public RunDriver {
public:
    void Collect(RunProgress& progress, const std::function<void()>& collect) override;
};

}  // namespace kirramo::posix
