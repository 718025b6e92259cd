#include "window/qt/QtRunDriver.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

#include "collect/CollectPaths.h"
#include "platform/posix/DesktopProcess.h"
#include "window/RunWatch.h"
#include "window/qt/ProgressWindow.h"

namespace kirramo {

void QtRunDriver::Collect(RunProgress& progress, const std::function<void()>& collect) {
    ProgressForm form(progress);
    ProgressWindow window(form);
    RunWatch watch(form, RunWatch::Clock::now());
    const bool ownerEnabled = owner_ && owner_->isEnabled();
    if (owner_) owner_->setEnabled(false);

    QEventLoop loop;
    // The loop looks at the run every RunWatch::kPoll, and ends at once with the run.
    CollectionThread collection(
        collect, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    const auto look = [&] {
        switch (watch.At(RunWatch::Clock::now())) {
        case RunWatch::Turn::Wait:
            break;
        case RunWatch::Turn::Draw:
            if (window.isVisible()) window.Render();
            else window.PlaceAndShow();
            break;
        case RunWatch::Turn::Abandon:
            // A stopped collection that does not end: the program ends without it, its
            // windows at once.
            posix::EndWithStuckThread(kRunCancelled);
        }
    };
    QTimer looks;
    QObject::connect(&looks, &QTimer::timeout, &loop, look);
    // 中止 is timed from the look right after it.
    QObject::connect(&window, &ProgressWindow::Stopped, &loop, look);
    looks.start(RunWatch::kPoll);
    if (!collection.Ended()) loop.exec();
    looks.stop();
    // The loop also ends when the application quits: the run then stops, and is waited
    // for as long as a stopped run is.
    while (!collection.Ended()) {
        if (!form.IsCancelled()) form.Cancel();
        look();
        std::this_thread::sleep_for(RunWatch::kPoll);
    }
    window.hide();
    if (owner_) owner_->setEnabled(ownerEnabled);
    collection.Finish();
}

}  // namespace kirramo
