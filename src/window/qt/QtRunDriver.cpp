#include "window/qt/QtRunDriver.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>

#include "collect/CollectPaths.h"
#include "platform/posix/DesktopProcess.h"
#include "window/RunWatch.h"
#include "window/qt/ProgressWindow.h"

namespace kirramo {

void QtRunDriver::Collect(RunProgress& progress, const std::function<void()>& collect) {
    RunWatch watch(progress, collect);
    ProgressWindow window(watch.Form());
    const bool ownerEnabled = owner_ && owner_->isEnabled();
    if (owner_) owner_->setEnabled(false);

    RunWatch::State state = RunWatch::State::Running;
    // A stopped collection that does not end: the program ends without it, its windows
    // at once.
    const auto giveUpWhenStuck = [&state] {
        if (state == RunWatch::State::Stuck) posix::EndWithStuckThread(kRunCancelled);
    };
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        state = watch.Poll(std::chrono::milliseconds(0));
        if (state == RunWatch::State::Ended) {
            loop.quit();
            return;
        }
        giveUpWhenStuck();
        const bool shown = watch.Form().IsShown();
        if (!watch.Tick()) return;
        if (shown) window.Render();
        else window.PlaceAndShow();
    });
    look.start(RunWatch::kPoll);
    loop.exec();
    // The loop also ends when the application quits: the run then stops, and is waited
    // for as long as a stopped run is.
    while (state != RunWatch::State::Ended) {
        if (!watch.Form().IsCancelled()) watch.Form().Cancel();
        state = watch.Poll(RunWatch::kPoll);
        giveUpWhenStuck();
    }
    look.stop();
    window.hide();
    if (owner_) owner_->setEnabled(ownerEnabled);
    watch.Finish();
}

}  // namespace kirramo
