// The progress window of a run in another process, fed through a pipe as the run's
// process feeds it: shown from the first record on, 中止 answered on the other pipe,
// ended by the end of the records or by what is no record.
#include "window/qt/RemoteProgressWindow.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

#include "window/ProgressForm.h"
#include "window/qt/ProgressWindow.h"

namespace kirramo {
namespace {

ProgressWindow* ShownProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ProgressWindow*>(w); p && p->isVisible()) return p;
    return nullptr;
}

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe2(fd, O_CLOEXEC), 0); }
    ~Pipe() {
        CloseWrite();
        if (fd[0] >= 0) close(fd[0]);
    }
    void Write(const std::string& s) { EXPECT_EQ(write(fd[1], s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    void CloseWrite() {
        if (fd[1] >= 0) close(fd[1]);
        fd[1] = -1;
    }
    std::string ReadAvailable() {
        fcntl(fd[0], F_SETFL, O_NONBLOCK);
        char buf[64];
        const ssize_t n = read(fd[0], buf, sizeof buf);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
};

TEST(RemoteProgressWindow, ShowsTheRunsRecordsAnswersStopAndEndsWithTheRecords) {
    Pipe state, answer;
    RunProgress run;
    run.SetLines(1234);
    run.EnterFolder("/srv/写真");
    QString counts;
    std::string answered;
    bool shownBeforeRecord = true;
    QTimer::singleShot(100, [&] {
        shownBeforeRecord = ShownProgressWindow() != nullptr;
        state.Write(ProgressRecord(run));
    });
    QTimer::singleShot(400, [&] {
        ProgressWindow* shown = ShownProgressWindow();
        ASSERT_NE(shown, nullptr);
        counts = qobject_cast<QLabel*>(shown->Widget("LblCounts"))->text();
        QTest::mouseClick(shown->Widget("CmdStop"), Qt::LeftButton);
    });
    QTimer::singleShot(500, [&] {
        answered = answer.ReadAvailable();
        state.CloseWrite();  // the run has ended
    });
    ServeProgressWindow(state.fd[0], answer.fd[1]);
    EXPECT_FALSE(shownBeforeRecord);
    EXPECT_EQ(counts, "1,234 行　1 フォルダー");
    EXPECT_EQ(answered, kProgressCancelLine);
    EXPECT_EQ(ShownProgressWindow(), nullptr);

    // What is no record ends the window too.
    Pipe bad, unused;
    bad.Write(ProgressRecord(run) + "x y z\n");
    ServeProgressWindow(bad.fd[0], unused.fd[1]);
    EXPECT_EQ(ShownProgressWindow(), nullptr);
}

}  // namespace
}  // namespace kirramo
