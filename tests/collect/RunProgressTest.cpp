// A run's progress and its cancelling, with a listing that the test steps entry by entry.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "collect/CollectPaths.h"
#include "fake/FakePlatform.h"
#include "options/Settings.h"
#include "startup/Main.h"
#include "window/SettingsForm.h"

namespace kirramo {
namespace {

// Runs the collection here, lets the test reach the run's progress while it runs, and
// keeps what the progress showed at its end (the run's progress goes with the run).
struct InlineDriver : RunDriver {
    struct Seen {
        uint64_t lines = 0, folders = 0, pathsTotal = 0, pathsDone = 0;
        std::string folder;
        bool cancelled = false;
    };
    RunProgress* progress = nullptr;  // only while the collection runs
    bool cancelAtStart = false;       // as a stop that comes before the first path
    Seen atEnd;
    void Collect(RunProgress& p, const std::function<void()>& collect) override {
        progress = &p;
        if (cancelAtStart) p.Cancel();
        collect();
        atEnd = {p.Lines(), p.Folders(), p.PathsTotal(), p.PathsDone(), p.Folder(), p.Cancelled()};
        progress = nullptr;
    }
};

// C:\top holds a, b and c, each with five files and one subfolder of two files.
struct RunProgressTest : ::testing::Test {
    RunProgressTest() {
        for (const char* folder : {"a", "b", "c"}) {
            const std::string base = std::string("C:\\top\\") + folder;
            for (int i = 1; i <= 5; ++i) fs.AddFile(base + "\\f" + std::to_string(i) + ".txt");
            fs.AddFile(base + "\\deep\\g1.txt");
            fs.AddFile(base + "\\deep\\g2.txt");
        }
        fs.commandLine = "C:\\top";
        fs.clipboard = "what the user had";
        o = OptionSet::Designed();
        o.GFolder = true;
        o.GSub = true;
        o.GFPattern = "*.*";
        // The hook counts the entries handed out and cancels at the chosen one.
        fs.onListedEntry = [this](const std::string& folder, const std::string& name) {
            ++entriesRead;
            foldersRead.insert(folder);
            if (stopAt && stopAt(folder, name)) driver.progress->Cancel();
        };
    }

    FakePlatform fs;
    OptionSet o;
    InlineDriver driver;
    int entriesRead = 0;
    std::set<std::string> foldersRead;
    std::function<bool(const std::string&, const std::string&)> stopAt;
};

TEST_F(RunProgressTest, CountsLinesFoldersAndPathsOfAWholeRun) {
    fs.commandLine = "C:\\top C:\\top\\a\\f1.txt";
    ASSERT_EQ(RunCollectPaths(o, fs, &driver), kRunPlaced);
    const InlineDriver::Seen& p = driver.atEnd;
    EXPECT_EQ(p.lines, 22u);    // 21 files below C:\top, then the one file
    EXPECT_EQ(p.folders, 7u);   // top, a, b, c and their deep folders
    EXPECT_EQ(p.pathsTotal, 2u);
    EXPECT_EQ(p.pathsDone, 2u);
    EXPECT_EQ(p.folder, "C:\\top\\c\\deep");
    EXPECT_FALSE(p.cancelled);

    o.GFolder = false;
    o.GDir = true;
    fs.commandLine = "C:\\top";
    ASSERT_EQ(RunCollectPaths(o, fs, &driver), kRunPlaced);
    EXPECT_EQ(driver.atEnd.lines, 6u);  // a, b, c and each deep
}

TEST_F(RunProgressTest, CancelStopsTheListingAndLeavesTheClipboardAndMessagesAlone) {
    const struct {
        const char* what;
        bool subfolders;
        std::function<bool(const std::string&, const std::string&)> stopAt;
        int entriesRead;           // entries handed out before the run stopped
        size_t foldersRead;
    } cases[] = {
        // Inside a folder: the entry after the cancelling one is never read.
        {"files, inside a folder", false, [](auto& f, auto& n) { return f == "C:\\top\\a" && n == "f2.txt"; }, 3 + 3, 2},
        // Between folders: the last entry of a folder, and no further folder is opened.
        {"files, between folders", false, [](auto& f, auto& n) { return f == "C:\\top\\a\\deep" && n == "g2.txt"; },
         3 + 6 + 2, 3},
        {"subfolders, inside a folder", true, [](auto& f, auto& n) { return f == "C:\\top" && n == "b"; }, 2, 1},
        {"subfolders, between folders", true, [](auto& f, auto& n) { return f == "C:\\top\\a" && n == "f5.txt"; },
         3 + 6, 2},
    };
    for (const auto& c : cases) {
        entriesRead = 0;
        foldersRead.clear();
        stopAt = c.stopAt;
        o.GDir = c.subfolders;
        // A missing path after the folder: its message is not shown for a stopped run.
        fs.commandLine = "C:\\top C:\\gone.txt";
        EXPECT_EQ(RunCollectPaths(o, fs, &driver), kRunCancelled) << c.what;
        EXPECT_EQ(entriesRead, c.entriesRead) << c.what;
        EXPECT_EQ(foldersRead.size(), c.foldersRead) << c.what;
        EXPECT_EQ(fs.clipboard, "what the user had") << c.what;
        EXPECT_EQ(fs.clipboardSetAttempts, 0) << c.what;
        EXPECT_EQ(fs.clipboardEmptyCalls, 0) << c.what;
        EXPECT_TRUE(fs.messages.empty()) << c.what;
        EXPECT_FALSE(fs.waitCursorOn) << c.what;
    }
}

TEST_F(RunProgressTest, CancelledRunSavesNothingOnAnyRoadWithoutAWindow) {
    class NoDesktop : public WindowHost {
        bool CanShowWindow() override { return false; }
        void ShowSettingsWindow(Session&, Platform&) override { ADD_FAILURE() << "no window without a desktop"; }
    } windows;
    driver.cancelAtStart = true;
    const struct {
        const char* what;
        bool shift;
        const char* settings;
    } roads[] = {
        {"quick preset", true, ""},
        {"stored settings, direct", false, "GMenu=True\r\nGFolder=True\r\n"},
        {"the window's run without a desktop", false, "GMenu=False\r\nGFolder=True\r\n"},
    };
    for (const auto& r : roads) {
        fs.shiftHeld = r.shift;
        fs.settingsText = SettingsText(OptionSet::Designed()) + r.settings;
        const std::string before = *fs.settingsText;
        Session session;
        EXPECT_EQ(Main(session, fs, windows, LaunchRequest::Keys, &driver), kRunCancelled) << r.what;
        EXPECT_EQ(fs.settingsWrites, 0) << r.what;
        EXPECT_EQ(fs.settingsText, before) << r.what;
        EXPECT_EQ(fs.clipboard, "what the user had") << r.what;
    }
}

TEST_F(RunProgressTest, CancelledRunOfTheWindowSavesAsItsCloseDoes) {
    driver.cancelAtStart = true;
    Session session;
    session.SettingsLoaded = true;
    session.options = o;
    SettingsForm form(session, fs);
    form.SetRunDriver(&driver);
    form.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
    form.Get();
    EXPECT_TRUE(form.IsClosed());
    EXPECT_EQ(fs.settingsWrites, 1);
    EXPECT_EQ(fs.clipboard, "what the user had");
    EXPECT_EQ(fs.clipboardSetAttempts, 0);
}

}  // namespace
}  // namespace kirramo
