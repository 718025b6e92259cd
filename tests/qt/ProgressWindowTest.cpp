#include "window/qt/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "window/ProgressForm.h"

namespace kirramo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

class ProgressWindowTest : public ::testing::Test {
protected:
    ProgressWindowTest() {
        form.Tick(500);
        window.PlaceAndShow();
    }
    QString Caption(const char* name) { return qobject_cast<QLabel*>(window.Widget(name))->text(); }
    QPushButton* Stop() { return qobject_cast<QPushButton*>(window.Widget("CmdStop")); }

    RunProgress progress;
    ProgressForm form{progress};
    ProgressWindow window{form};
};

TEST_F(ProgressWindowTest, DrawsTheFormWithoutTakingTheFocus) {
    EXPECT_EQ(window.windowTitle(), "Kirramo");
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowDoesNotAcceptFocus);  // Esc still reaches it
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const double dpi = window.screen()->logicalDotsPerInchX();
    EXPECT_NEAR(window.width(), ProgressForm::kClientWidth * dpi / 1440, 1);
    for (const Control& c : form.Controls()) {
        QWidget* w = window.Widget(Q(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_NEAR(w->y(), c.top * dpi / 1440, 1) << c.name;
    }
    EXPECT_EQ(Caption("LblAction"), "取得中…");
    EXPECT_EQ(Caption("LblCounts"), "0 行　0 フォルダー");
    EXPECT_EQ(Stop()->text(), "中止");
    EXPECT_TRUE(Stop()->isDefault());
    // The amount of work is unknown: the busy bar.
    EXPECT_EQ(window.Bar()->minimum(), 0);
    EXPECT_EQ(window.Bar()->maximum(), 0);

    // Drawn again from the run's progress only when the form's clock says so.
    progress.SetPathsTotal(4);
    progress.PathDone();
    progress.EnterFolder("/home/写真");
    progress.SetLines(1234);
    window.Render();
    EXPECT_EQ(Caption("LblCounts"), "0 行　0 フォルダー");
    ASSERT_TRUE(form.Tick(600));
    window.Render();
    EXPECT_EQ(Caption("LblCounts"), "1,234 行　1 フォルダー");
    EXPECT_EQ(Caption("LblFolder"), "/home/写真");
    EXPECT_EQ(window.Bar()->maximum(), 100);
    EXPECT_EQ(window.Bar()->value(), 25);
}

TEST(ProgressWindow, StopEscAndTheCloseBoxEachCancelTheRunOnce) {
    const struct {
        const char* what;
        void (*act)(ProgressWindow&);
    } ways[] = {
        {"中止", [](ProgressWindow& w) { QTest::mouseClick(w.Widget("CmdStop"), Qt::LeftButton); }},
        {"Esc", [](ProgressWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        // The close box: the window system asks the window to close.
        {"close box", [](ProgressWindow& w) { w.close(); }},
    };
    for (const auto& way : ways) {
        RunProgress progress;
        ProgressForm form(progress);
        ProgressWindow window(form);
        QSignalSpy stopped(&window, &ProgressWindow::Stopped);
        form.Tick(500);
        window.PlaceAndShow();
        way.act(window);
        EXPECT_TRUE(progress.Cancelled()) << way.what;
        EXPECT_EQ(stopped.count(), 1) << way.what;
        EXPECT_FALSE(window.Widget("CmdStop")->isEnabled()) << way.what;
        // The window stays until its host closes it at the end of the run.
        EXPECT_TRUE(window.isVisible()) << way.what;
        for (const auto& again : ways) again.act(window);
        EXPECT_EQ(stopped.count(), 1) << way.what;
    }
}

}  // namespace
}  // namespace kirramo
