// Get's run in the process of the settings window: the windows stay served while the
// collection runs on its own thread, the progress window appears after half a second
// and its 中止 stops the run at once; a stopped run that hangs ends the process.
#include "window/qt/QtRunDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "window/qt/ProgressWindow.h"

namespace kirramo {
namespace {

using std::chrono::milliseconds;

// The progress window on the screen, or nullptr.
ProgressWindow* ShownProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ProgressWindow*>(w); p && p->isVisible()) return p;
    return nullptr;
}

// A collection that goes on until it is cancelled or `forMs` have passed, and whether
// it was stopped.
struct SlowCollection {
    RunProgress& progress;
    int forMs;
    bool ignoresCancel = false;
    std::atomic<bool> stopped{false};
    void operator()() {
        const auto end = std::chrono::steady_clock::now() + milliseconds(forMs);
        while (std::chrono::steady_clock::now() < end) {
            if (progress.Cancelled() && !ignoresCancel) {
                stopped = true;
                return;
            }
            std::this_thread::sleep_for(milliseconds(2));
        }
    }
};

TEST(QtRunDriver, ServesTheWindowsShowsTheProgressAfterHalfASecondAndStopsAtOnce) {
    QWidget owner;
    owner.show();
    QtRunDriver driver(&owner);

    // Left alone: the owner takes no input meanwhile, the progress window comes and goes.
    {
        RunProgress progress;
        SlowCollection collect{progress, 900};
        bool ownerEnabled = true;
        ProgressWindow* early = nullptr;
        ProgressWindow* late = nullptr;
        QTimer::singleShot(300, [&] {
            ownerEnabled = owner.isEnabled();
            early = ShownProgressWindow();
        });
        QTimer::singleShot(700, [&] { late = ShownProgressWindow(); });
        driver.Collect(progress, std::ref(collect));
        EXPECT_FALSE(ownerEnabled);
        EXPECT_EQ(early, nullptr);
        EXPECT_NE(late, nullptr);
        EXPECT_FALSE(collect.stopped);
        EXPECT_FALSE(progress.Cancelled());
        EXPECT_TRUE(owner.isEnabled());
        EXPECT_EQ(ShownProgressWindow(), nullptr);
    }

    // 中止 in the progress window: the run stops well within 0.2 s.
    {
        RunProgress progress;
        SlowCollection collect{progress, 10000};
        QElapsedTimer sinceClick;
        QTimer::singleShot(700, [&] {
            ProgressWindow* shown = ShownProgressWindow();
            ASSERT_NE(shown, nullptr);
            sinceClick.start();
            QTest::mouseClick(shown->Widget("CmdStop"), Qt::LeftButton);
        });
        driver.Collect(progress, std::ref(collect));
        ASSERT_TRUE(sinceClick.isValid());
        EXPECT_LT(sinceClick.elapsed(), 200);
        EXPECT_TRUE(collect.stopped);
        EXPECT_TRUE(progress.Cancelled());
    }
}

TEST(QtRunDriverDeathTest, AStoppedRunThatHangsEndsTheProcessAsCancelled) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto hang = [] {
        RunProgress progress;
        SlowCollection collect{progress, 10000, true};
        QTimer::singleShot(700, [] { QTest::keyClick(ShownProgressWindow(), Qt::Key_Escape); });
        QtRunDriver(nullptr).Collect(progress, std::ref(collect));
    };
    EXPECT_EXIT(hang(), ::testing::ExitedWithCode(5), "");
}

}  // namespace
}  // namespace kirramo
