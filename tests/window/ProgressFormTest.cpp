#include "window/ProgressForm.h"

#include <gtest/gtest.h>

namespace kirramo {
namespace {

TEST(ProgressForm, ShownOnlyAfterHalfASecondThenAtMostTenTimesASecond) {
    RunProgress progress;
    ProgressForm form(progress);
    // The view's ticks (ms since the start) and whether the form is drawn at each.
    const struct {
        int64_t at;
        bool drawn;
    } ticks[] = {{0, false}, {120, false}, {499, false}, {500, true}, {540, false},
                 {599, false}, {600, true}, {650, false}, {1000, true}, {1001, false}};
    for (const auto& t : ticks) {
        EXPECT_EQ(form.Tick(t.at), t.drawn) << t.at;
        EXPECT_EQ(form.IsShown(), t.at >= 500) << t.at;
    }
}

TEST(ProgressForm, ShowsTheRunsCountsFolderAndAmountAsOfTheLastDrawing) {
    RunProgress progress;
    ProgressForm form(progress);
    EXPECT_EQ(form.At("LblAction").caption, "取得中…");
    EXPECT_EQ(form.At("LblCounts").caption, "0 行　0 フォルダー");
    const Control& stop = form.At("CmdStop");
    EXPECT_EQ(stop.caption, "中止");
    EXPECT_EQ(stop.command, Command::Cancel);
    EXPECT_TRUE(stop.isCancel);  // Esc

    progress.SetPathsTotal(1);
    progress.EnterFolder("C:\\data");
    progress.SetLines(1234567);
    ASSERT_TRUE(form.Tick(500));
    EXPECT_EQ(form.At("LblCounts").caption, "1,234,567 行　1 フォルダー");
    EXPECT_EQ(form.At("LblFolder").caption, "C:\\data");
    EXPECT_EQ(form.ProgressBar().percent, ProgressForm::kBusy);  // one selected folder: unknown amount

    progress.SetPathsTotal(4);
    progress.PathDone();
    progress.EnterFolder("C:\\" + std::string(80, 'x') + "\\最後のフォルダー");
    EXPECT_FALSE(form.Tick(550));
    EXPECT_EQ(form.At("LblFolder").caption, "C:\\data");  // not before the next drawing
    ASSERT_TRUE(form.Tick(600));
    EXPECT_EQ(form.ProgressBar().percent, 25);
    EXPECT_EQ(form.At("LblCounts").caption, "1,234,567 行　2 フォルダー");
    EXPECT_EQ(form.At("LblFolder").caption,
              "C:\\" + std::string(21, 'x') + "…" + std::string(16, 'x') + "\\最後のフォルダー");
}

TEST(ProgressForm, StopButtonEscAndCloseBoxCancelTheRunOnce) {
    for (int way = 0; way < 2; ++way) {
        RunProgress progress;
        ProgressForm form(progress);
        if (way == 0)
            EXPECT_TRUE(form.Run(form.At("CmdStop").command));
        else
            form.Close();
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_TRUE(form.IsCancelled());
        EXPECT_FALSE(form.At("CmdStop").enabled);
        EXPECT_FALSE(form.Run(Command::Cancel));
    }
    RunProgress progress;
    ProgressForm form(progress);
    EXPECT_FALSE(form.Run(Command::Get));
    EXPECT_FALSE(progress.Cancelled());
}

TEST(ShortenMiddle, KeepsBothEndsByCharacters) {
    const struct {
        const char* text;
        size_t max;
        const char* expected;
    } cases[] = {
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 6, "ab…efg"},
        {"あいうえおかきく", 5, "あい…きく"},
        {"", 5, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortenMiddle(c.text, c.max), c.expected) << c.text;
}

TEST(ProgressForm, PlacedNearThePointerAndOnTheScreen) {
    RunProgress progress;
    ProgressForm form(progress);
    form.Place(100, 100, 15, 15, 1920 * 15, 1080 * 15);
    EXPECT_EQ(form.WindowLeft(), 1500);
    EXPECT_EQ(form.WindowTop(), 1800);
    form.Place(1919, 1079, 15, 15, 1920 * 15, 1080 * 15);
    EXPECT_EQ(form.WindowLeft(), 1920 * 15 - ProgressForm::kOuterWidth);
    EXPECT_EQ(form.WindowTop(), 1080 * 15 - ProgressForm::kOuterHeight);
}


// A progress window in another process is told the run's progress in records: they
// arrive in pieces, the last whole one counts, and what is not a record ends the reading.
TEST(ProgressRecord, MirrorsTheRunsProgressThroughPiecesAndRejectsMalformedRecords) {
    RunProgress run;
    run.SetPathsTotal(3);
    run.PathDone();
    run.EnterFolder("/home/user/写真/2024\n改行のある名前/" + std::string(60, 'x'));
    run.SetLines(12345);
    RunProgress other;
    other.EnterFolder("/old");
    const std::string record = ProgressRecord(run);
    std::string pending = ProgressRecord(other) + record.substr(0, 3);
    RunProgress mirror;
    ASSERT_TRUE(TakeProgressRecords(pending, mirror));
    EXPECT_EQ(mirror.Folder(), "/old");
    EXPECT_EQ(pending, record.substr(0, 3));
    // The rest one byte at a time: nothing changes until the record is whole.
    for (size_t i = 3; i < record.size(); ++i) {
        pending += record[i];
        ASSERT_TRUE(TakeProgressRecords(pending, mirror));
        if (i + 1 < record.size()) {
            EXPECT_EQ(mirror.Folder(), "/old");
        }
    }
    EXPECT_TRUE(pending.empty());
    RunProgress::Counts seen = mirror.Now();
    EXPECT_EQ(seen.lines, 12345u);
    EXPECT_EQ(seen.folders, 1u);
    EXPECT_EQ(seen.pathsTotal, 3u);
    EXPECT_EQ(seen.pathsDone, 1u);
    EXPECT_EQ(seen.folder, ShortenMiddle(run.Folder(), ProgressForm::kFolderChars));
    // The form over the mirror shows what the run's own form would.
    ProgressForm mirrored(mirror), own(run);
    mirrored.Tick(500);
    own.Tick(500);
    for (const char* name : {"LblCounts", "LblFolder"}) EXPECT_EQ(mirrored.At(name).caption, own.At(name).caption);
    EXPECT_EQ(mirrored.ProgressBar().percent, own.ProgressBar().percent);

    for (const char* bad : {"1 2 3 4\n", "1 2 3 4 5 6\n", "-1 0 0 0 0\n", "1  2 3 4 0\n", "a 0 0 0 0\n",
                            "0 0 0 0 99999\n", "99999999999999999999999 0 0 0 0\n",
                            "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
                            "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"}) {
        std::string input = bad;
        EXPECT_FALSE(TakeProgressRecords(input, mirror)) << bad;
    }
}

}  // namespace
}  // namespace kirramo
