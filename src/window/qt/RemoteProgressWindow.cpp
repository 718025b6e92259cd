#include "window/qt/RemoteProgressWindow.h"

#include <errno.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <string>

#include "window/ProgressForm.h"
#include "window/RunWatch.h"
#include "window/qt/ProgressWindow.h"

namespace kirramo {

void ServeProgressWindow(int stateFd, int answerFd) {
    // The form over a progress that mirrors the run's; it is drawn from the first
    // record on, since the run's own form has appeared when this process starts.
    RunProgress mirror;
    ProgressForm form(mirror);
    ProgressWindow window(form);
    QElapsedTimer clock;
    QEventLoop loop;
    const auto draw = [&] {
        if (!form.Tick(ProgressForm::kShowAfterMs + clock.elapsed())) return;
        if (window.isVisible()) window.Render();
        else window.PlaceAndShow();
    };
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, draw);

    std::string pending;
    QSocketNotifier records(stateFd, QSocketNotifier::Read);
    QObject::connect(&records, &QSocketNotifier::activated, &loop, [&] {
        char buf[4096];
        const ssize_t n = read(stateFd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        pending.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
        if (n <= 0 || !TakeProgressRecords(pending, mirror)) {
            loop.quit();
            return;
        }
        if (!look.isActive()) {
            clock.start();
            look.start(RunWatch::kPoll);
            draw();
        }
    });
    // A run that has ended meanwhile has closed its end: the line is then lost, as it
    // may be, and the write's SIGPIPE ends this process, as the end of the run would.
    QObject::connect(&window, &ProgressWindow::Stopped, &loop, [answerFd] {
        const ssize_t written = write(answerFd, kProgressCancelLine.data(), kProgressCancelLine.size());
        (void)written;
    });
    loop.exec();
    window.hide();
}

}  // namespace kirramo
