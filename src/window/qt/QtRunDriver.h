// The run of the settings window's Get, in the process that shows the window: the
// collection on a thread of its own while the toolkit's event loop goes on serving the
// windows. The settings window stays shown but takes no input; after half a second the
// progress window of the run appears, a window of its own, and its 中止 stops the run
// within RunWatch::kPoll. A stopped collection that does not end within
// RunWatch::kAbandonAfter (a file system that does not answer) ends the program with
// kRunCancelled: Get has saved the settings before its run.
#pragma once

#include "collect/RunProgress.h"

class QWidget;

namespace kirramo {

class QtRunDriver final : public RunDriver {
public:
    // `owner`: the window that started the run (none in tests); disabled while it runs.
    explicit QtRunDriver(QWidget* owner) : owner_(owner) {}
    void Collect(RunProgress& progress, const std::function<void()>& collect) override;

private:
    QWidget* owner_;
};

}  // namespace kirramo
