#include "startup/Main.h"

#include <gtest/gtest.h>

#include <functional>

#include "fake/FakePlatform.h"
#include "options/Settings.h"
#include "window/SettingsForm.h"

namespace kirramo {
namespace {

using Key = Platform::Key;
const std::vector<Key> kShiftThenCtrl{Key::Shift, Key::Control};

// Records what the entry asks of the window; a test can act as the user in it.
class FakeWindows : public WindowHost {
public:
    bool canShow = true;
    int shown = 0;
    bool loadedWhenShown = false;
    OptionSet optionsWhenShown;
    std::function<void(Session&, Platform&)> user;

    bool CanShowWindow() override { return canShow; }
    void ShowSettingsWindow(Session& session, Platform& platform) override {
        ++shown;
        loadedWhenShown = session.SettingsLoaded;
        optionsWhenShown = session.options;
        if (user) user(session, platform);
    }
};

class MainTest : public ::testing::Test {
protected:
    MainTest() {
        fs.AddFile("C:\\dir\\file.txt", 1536);
        fs.AddFile("C:\\dir\\sub\\inner.txt", 10);
        fs.commandLine = "C:\\dir\\file.txt C:\\dir\\sub";
    }
    // A settings file: the designed options, then the given lines (a later line wins).
    void StoredSettings(const std::string& extraLines) {
        OptionSet o = OptionSet::Designed();
        fs.settingsText = SettingsText(o) + extraLines;
    }
    int Run() { return Main(session, fs, windows); }

    Session session;
    FakePlatform fs;
    FakeWindows windows;
};

TEST_F(MainTest, SecondInstanceEndsBeforeAnythingElse) {
    fs.anotherInstance = true;
    fs.shiftHeld = true;
    StoredSettings("GMenu=True\r\n");
    EXPECT_EQ(Run(), kExitAnotherInstance);
    EXPECT_EQ(fs.instanceChecks, 1);
    EXPECT_TRUE(fs.keyQueries.empty());
    EXPECT_EQ(fs.settingsReads, 0);
    EXPECT_EQ(fs.settingsWrites, 0);
    EXPECT_EQ(windows.shown, 0);
    EXPECT_FALSE(fs.clipboard.has_value());
    EXPECT_EQ(fs.clipboardEmptyCalls, 0);
    EXPECT_TRUE(fs.messages.empty());
}

TEST_F(MainTest, ExitStatusSaysHowTheRunEnded) {
    const struct {
        const char* what;
        const char* commandLine;
        const char* settings;  // stored after the designed options
        bool canShowWindow;
        int busyFor;
        bool failsForGood;
        int status;
    } cases[] = {
        {"placed", "C:\\dir\\file.txt", "GMenu=True\r\n", true, 0, false, 0},
        {"busy a while, then placed", "C:\\dir\\file.txt", "GMenu=True\r\n", true, 3, false, 0},
        {"a missing path", "C:\\dir\\file.txt C:\\gone.txt", "GMenu=True\r\n", true, 0, false, 1},
        {"busy until given up", "C:\\dir\\file.txt", "GMenu=True\r\n", true, 1000, false, 2},
        {"failed for good", "C:\\dir\\file.txt", "GMenu=True\r\n", true, 0, true, 2},
        {"the window's own run", "C:\\gone.txt", "GMenu=False\r\n", true, 0, false, 0},
        {"the window's run without a display", "C:\\gone.txt", "GMenu=False\r\n", false, 0, false, 1},
    };
    for (const auto& c : cases) {
        FakePlatform p;
        p.AddFile("C:\\dir\\file.txt");
        p.commandLine = c.commandLine;
        p.settingsText = SettingsText(OptionSet::Designed()) + c.settings;
        p.clipboardBusyFor = c.busyFor;
        if (c.failsForGood) p.clipboardFailure = "標準出力に書き出せませんでした（Broken pipe）。";
        FakeWindows w;
        w.canShow = c.canShowWindow;
        Session s;
        EXPECT_EQ(Main(s, p, w), c.status) << c.what;
    }
}

TEST_F(MainTest, ReadLaunchKeysWritesThePresetOnlyForOneKey) {
    // Every option on, so that any write is seen.
    OptionSet all;
    for (bool* flag : {&all.GLong, &all.GUpper, &all.GName, &all.GExt, &all.GFolder, &all.GSub, &all.GTime,
                       &all.GUnc, &all.GSize, &all.GDir, &all.GBackword, &all.GTreeP, &all.GTreeF, &all.GRepYen,
                       &all.GRepSP, &all.G1Frtn, &all.GMenu})
        *flag = true;
    all.GFPattern = "*.log";
    all.GFPatternSet = "*.log|*.txt";
    all.GUnit = 3;
    all.GPrefix = "<";
    all.GSuffix = ">";

    struct Case {
        bool shift, control;
        LaunchCode code;
    };
    for (Case c : {Case{true, false, kLaunchPreset}, Case{false, true, kLaunchPreset},
                   Case{true, true, kLaunchWindow}, Case{false, false, kLaunchSettings}}) {
        FakePlatform keys;
        keys.shiftHeld = c.shift;
        keys.controlHeld = c.control;
        Session s;
        s.options = all;
        EXPECT_EQ(ReadLaunchKeys(s, keys), c.code);
        // Shift first, and Ctrl exactly once, whatever Shift gave.
        EXPECT_EQ(keys.keyQueries, kShiftThenCtrl);
        EXPECT_FALSE(s.SettingsLoaded);
        if (c.code != kLaunchPreset) {
            EXPECT_EQ(s.options, all);
            continue;
        }
        // The preset's value of each option: OptionTableTest.
        EXPECT_EQ(s.options.GName, c.shift) << "shift " << c.shift;
        EXPECT_NE(s.options, all);
    }
}

TEST_F(MainTest, QuickPresetRunsAtOnceWithoutTheSettingsFile) {
    // Stored settings that would change every line and ask for the window.
    StoredSettings("GUpper=True\r\nGPrefix=<\r\nGFolder=True\r\nGMenu=False\r\n");
    const std::string stored = *fs.settingsText;

    fs.shiftHeld = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fs.clipboard, "file.txt\r\nsub\r\n");
    EXPECT_EQ(fs.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(fs.settingsReads, 0);
    EXPECT_EQ(fs.settingsWrites, 0);
    EXPECT_EQ(fs.settingsText, stored);
    EXPECT_FALSE(session.SettingsLoaded);
    EXPECT_EQ(windows.shown, 0);

    FakePlatform ctrl;
    ctrl.AddFile("C:\\dir\\file.txt");
    ctrl.AddFolder("C:\\dir\\sub");
    ctrl.commandLine = fs.commandLine;
    ctrl.settingsText = stored;
    ctrl.controlHeld = true;
    Session s;
    EXPECT_EQ(Main(s, ctrl, windows), 0);
    EXPECT_EQ(ctrl.clipboard, "C:\\dir\\file.txt\r\nC:\\dir\\sub\r\n");
    EXPECT_EQ(ctrl.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(ctrl.settingsReads, 0);
    EXPECT_EQ(ctrl.settingsWrites, 0);
    EXPECT_EQ(windows.shown, 0);
}

TEST_F(MainTest, ARequestFromTheCommandLineWinsOverTheKeys) {
    // Stored settings that would change every line and run at once without the window.
    const std::string stored =
        SettingsText(OptionSet::Designed()) + "GUpper=True\r\nGPrefix=<\r\nGFolder=True\r\nGMenu=True\r\n";
    const struct {
        LaunchRequest request;
        bool shift, control;
        const char* clipboard;  // nullptr: nothing placed
        int shown, settingsReads;
    } cases[] = {
        {LaunchRequest::Names, false, false, "file.txt\r\nsub\r\n", 0, 0},
        {LaunchRequest::Names, false, true, "file.txt\r\nsub\r\n", 0, 0},
        {LaunchRequest::Paths, true, false, "C:\\dir\\file.txt\r\nC:\\dir\\sub\r\n", 0, 0},
        {LaunchRequest::Paths, true, true, "C:\\dir\\file.txt\r\nC:\\dir\\sub\r\n", 0, 0},
        // The window although the settings say to run at once.
        {LaunchRequest::Window, false, false, nullptr, 1, 1},
        {LaunchRequest::Window, true, false, nullptr, 1, 1},
        // No request: the keys, as before.
        {LaunchRequest::Keys, true, false, "file.txt\r\nsub\r\n", 0, 0},
    };
    for (const auto& c : cases) {
        FakePlatform p;
        p.AddFile("C:\\dir\\file.txt");
        p.AddFolder("C:\\dir\\sub");
        p.commandLine = fs.commandLine;
        p.settingsText = stored;
        p.shiftHeld = c.shift;
        p.controlHeld = c.control;
        Session s;
        FakeWindows w;
        const int request = static_cast<int>(c.request);
        EXPECT_EQ(Main(s, p, w, c.request), 0) << request;
        EXPECT_EQ(p.clipboard.has_value(), c.clipboard != nullptr) << request;
        if (c.clipboard) EXPECT_EQ(*p.clipboard, c.clipboard) << request;
        EXPECT_EQ(w.shown, c.shown) << request;
        EXPECT_EQ(p.settingsReads, c.settingsReads) << request;
        EXPECT_EQ(p.settingsWrites, 0) << request;
        EXPECT_EQ(p.settingsText, stored) << request;
        // A request given reads no key.
        if (c.request != LaunchRequest::Keys) EXPECT_TRUE(p.keyQueries.empty()) << request;
        if (c.shown) EXPECT_TRUE(w.optionsWhenShown.GMenu) << request;
    }
}

TEST_F(MainTest, NoKeyAndMenuHiddenRunsAtOnceWithTheStoredSettings) {
    StoredSettings("GMenu=True\r\nGName=True\r\nGUpper=True\r\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fs.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(fs.settingsReads, 1);
    EXPECT_TRUE(session.SettingsLoaded);
    EXPECT_EQ(windows.shown, 0);
    EXPECT_EQ(fs.clipboard, "FILE.TXT\r\nSUB\r\n");
    // A direct run leaves the settings file as it was.
    EXPECT_EQ(fs.settingsWrites, 0);
}

TEST_F(MainTest, NoKeyShowsTheWindowWhenTheSettingsAskForItOrAreMissing) {
    StoredSettings("GMenu=False\r\nGUnit=2\r\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fs.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(windows.shown, 1);
    EXPECT_TRUE(windows.loadedWhenShown);
    EXPECT_EQ(windows.optionsWhenShown.GUnit, 2);
    EXPECT_FALSE(fs.clipboard.has_value());  // the window runs nothing by itself

    // No file: the window, with the controls as designed (SettingsLoaded off).
    FakePlatform none;
    none.commandLine = fs.commandLine;
    Session s;
    FakeWindows w;
    EXPECT_EQ(Main(s, none, w), 0);
    EXPECT_EQ(none.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(none.settingsReads, 1);
    EXPECT_EQ(w.shown, 1);
    EXPECT_FALSE(w.loadedWhenShown);
    EXPECT_FALSE(none.clipboard.has_value());
}

TEST_F(MainTest, ShiftAndCtrlShowTheWindowAlthoughTheMenuIsHidden) {
    StoredSettings("GMenu=True\r\nGPrefix=[\r\n");
    fs.shiftHeld = fs.controlHeld = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fs.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(fs.settingsReads, 1);
    EXPECT_EQ(windows.shown, 1);
    EXPECT_TRUE(windows.loadedWhenShown);
    EXPECT_TRUE(windows.optionsWhenShown.GMenu);
    EXPECT_EQ(windows.optionsWhenShown.GPrefix, "[");
    EXPECT_FALSE(fs.clipboard.has_value());
}

TEST_F(MainTest, WindowRoadSavesAsTheWindowCloses) {
    // The host hands the session to the form; its Get stores, runs and saves once.
    StoredSettings("GMenu=False\r\n");
    windows.user = [](Session& s, Platform& p) {
        SettingsForm form(s, p);
        form.Load(500, 400, 15, 15, 1024 * 15, 768 * 15);
        form.SetChecked("ChkName", true);
        form.Get();
    };
    Run();
    EXPECT_EQ(fs.clipboard, "file.txt\r\nsub\r\n");
    EXPECT_EQ(fs.settingsWrites, 1);
    OptionSet saved;
    ParseSettings(*fs.settingsText, saved);
    EXPECT_TRUE(saved.GName);
    EXPECT_FALSE(saved.GMenu);
}

TEST_F(MainTest, WithoutADisplayTheWindowRoadRunsWithTheWindowsOptions) {
    windows.canShow = false;

    // No settings file: the designed controls give the long paths.
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(windows.shown, 0);
    EXPECT_EQ(fs.keyQueries, kShiftThenCtrl);
    EXPECT_EQ(fs.clipboard, "C:\\dir\\file.txt\r\nC:\\dir\\sub\r\n");
    EXPECT_EQ(fs.settingsWrites, 0);
    EXPECT_FALSE(fs.settingsText.has_value());

    // Stored options go through the controls: a checked ChkBackword that ChkName
    // disables stores off, an empty pattern stores "*.*"; nothing is saved.
    FakePlatform stored;
    stored.AddFile("C:\\dir\\file.txt");
    stored.commandLine = "C:\\dir\\file.txt";
    stored.settingsText = SettingsText(OptionSet::Designed()) +
                          "GName=True\r\nGBackword=True\r\nGFPattern=\r\nGPrefix= [\r\nGMenu=False\r\n";
    const std::string text = *stored.settingsText;
    Session s;
    EXPECT_EQ(Main(s, stored, windows), 0);
    EXPECT_FALSE(s.options.GBackword);
    EXPECT_EQ(s.options.GFPattern, "*.*");
    EXPECT_EQ(stored.clipboard, " [file.txt");
    EXPECT_EQ(stored.settingsWrites, 0);
    EXPECT_EQ(stored.settingsText, text);

    // Shift and Ctrl held without a display: the same run.
    FakePlatform both;
    both.AddFile("C:\\dir\\file.txt");
    both.commandLine = "C:\\dir\\file.txt";
    both.shiftHeld = both.controlHeld = true;
    Session b;
    EXPECT_EQ(Main(b, both, windows), 0);
    EXPECT_EQ(both.clipboard, "C:\\dir\\file.txt");
    EXPECT_EQ(both.settingsWrites, 0);
}

}  // namespace
}  // namespace kirramo
