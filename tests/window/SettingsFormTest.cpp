#include "window/SettingsForm.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "fake/FakePlatform.h"
#include "options/Settings.h"

namespace kirramo {
namespace {

const std::vector<std::string> kDesignedPatterns{"*.*",   "*.bat", "*.bmp", "*.dll", "*.exe", "*.gif",
                                                 "*.htm", "*.html", "*.jpg", "*.log", "*.tmp", "*.txt"};

// The fifteen controls that a checked tree box disables.
const std::vector<std::string> kTreeDisabled{"OptLong", "OptShot",    "ChkName",    "ChkBackword", "ChkTime",
                                             "Chk1Frtn", "FraFile",   "ChkExt",     "ChkSize",     "ChkFolder",
                                             "LblPattern", "CboPattern", "ChkSub", "FraFolder",   "ChkDir"};

const std::vector<std::string> kCheckBoxes{"ChkMenu",   "ChkTreeF",  "ChkTreeP", "ChkDir",  "ChkExt",
                                           "ChkSub",    "ChkFolder", "ChkSize",  "ChkRepSP", "ChkRepYen",
                                           "Chk1Frtn",  "ChkBackword", "ChkTime", "ChkUpper", "ChkName",
                                           "ChkUnc"};

class SettingsFormTest : public ::testing::Test {
protected:
    // A form loaded at 15 twips a pixel on a 1024 x 768 screen, the pointer mid-screen.
    SettingsForm& Loaded(bool settingsLoaded) {
        session.SettingsLoaded = settingsLoaded;
        form.Load(500, 400, 15, 15, 1024 * 15, 768 * 15);
        return form;
    }
    bool Enabled(const char* name) const { return form.At(name).enabled; }
    bool Checked(const char* name) const { return form.At(name).checked; }

    Session session;
    FakePlatform fs;
    SettingsForm form{session, fs};
};

TEST_F(SettingsFormTest, DesignedStateWhenNoSettingsWereRead) {
    session.options.GLong = false;  // not shown: the settings were not read
    session.options.GName = true;
    session.options.GUnit = 2;
    Loaded(false);

    EXPECT_TRUE(form.At("OptLong").selected);
    EXPECT_FALSE(form.At("OptShot").selected);
    for (const auto& name : kCheckBoxes) EXPECT_FALSE(form.At(name).checked) << name;
    EXPECT_EQ(form.At("CboPattern").text, "*.*");
    EXPECT_EQ(form.At("CboPattern").list, kDesignedPatterns);
    EXPECT_EQ(form.At("LblUnit").caption, "なし");
    EXPECT_EQ(form.At("TxtPrefix").text, "");
    EXPECT_EQ(form.At("TxtSuffix").text, "");
    for (const Control& c : form.Controls()) {
        bool off = c.name == "LblPattern" || c.name == "CboPattern" || c.name == "ChkSub";
        EXPECT_EQ(c.enabled, !off) << c.name;
        EXPECT_TRUE(c.visible) << c.name;
    }
    EXPECT_EQ(form.InitialFocus(), "ChkName");
}

TEST_F(SettingsFormTest, LayoutCaptionsAndTabOrder) {
    EXPECT_EQ(form.Controls().size(), 32u);
    EXPECT_EQ(form.Controls().front().name, "CmdHelp");
    EXPECT_EQ(form.Controls().back().name, "Label1");
    const Control& get = form.At("CmdGet");
    EXPECT_EQ(get.caption, "取\u3000得");
    EXPECT_EQ(get.fontFace, "ＭＳ Ｐゴシック");
    EXPECT_EQ(get.fontSize, 12);
    EXPECT_EQ(form.At("CboPattern").fontSize, 11.25);
    EXPECT_THROW(form.At("LstSort"), std::out_of_range);
    // A view builds the controls in order: each container comes before what it holds,
    // and names are unique.
    std::set<std::string> built;
    for (const Control& c : form.Controls()) {
        EXPECT_TRUE(c.container.empty() || built.count(c.container)) << c.name;
        EXPECT_TRUE(built.insert(c.name).second) << c.name;
    }

    // What a click runs is the controls' data: the views never look at a name.
    std::map<std::string, Command> commands;
    std::vector<std::string> defaults, cancels;
    for (const Control& c : form.Controls()) {
        if (c.command != Command::None) commands[c.name] = c.command;
        if (c.isDefault) defaults.push_back(c.name);
        if (c.isCancel) cancels.push_back(c.name);
    }
    EXPECT_EQ(commands, (std::map<std::string, Command>{{"CmdGet", Command::Get},
                                                        {"CmdCancel", Command::Cancel},
                                                        {"CmdHelp", Command::Help},
                                                        {"LblUnit", Command::StepUnit}}));
    EXPECT_EQ(defaults, std::vector<std::string>{"CmdGet"});
    EXPECT_EQ(cancels, std::vector<std::string>{"CmdCancel"});

    std::vector<std::string> expected{"ChkName",  "ChkBackword", "ChkUpper",  "ChkTime",   "ChkUnc",
                                      "ChkRepYen", "ChkRepSP",   "Chk1Frtn",  "TxtPrefix", "TxtSuffix",
                                      "ChkExt",   "ChkSize",     "ChkFolder", "CboPattern", "ChkSub",
                                      "ChkDir",   "ChkTreeP",    "ChkTreeF",  "ChkMenu",   "CmdGet",
                                      "CmdCancel", "CmdHelp",    "OptLong",   "OptShot"};
    EXPECT_EQ(form.TabOrder(), expected);
}

TEST_F(SettingsFormTest, LoadingEnablesByTheLoadedBoxesAndRunsOnce) {
    // Which control shows each option: OptionTableTest.
    OptionSet& o = session.options;
    o.GUpper = o.GFolder = o.GBackword = true;
    Loaded(true);
    // ChkFolder loaded on enables the pattern controls.
    EXPECT_TRUE(Enabled("CboPattern"));
    EXPECT_TRUE(Enabled("ChkSub"));
    EXPECT_TRUE(Enabled("LblPattern"));
    EXPECT_TRUE(Enabled("ChkBackword"));
    // Loading twice changes nothing.
    o.GUpper = false;
    form.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
    EXPECT_TRUE(Checked("ChkUpper"));
}

TEST_F(SettingsFormTest, LoadingEdgeValues) {
    // An empty pattern list keeps the designed list; an empty pattern shows as empty.
    session.options.GFPattern = "";
    session.options.GFPatternSet = "";
    session.options.GUnit = 7;
    Loaded(true);
    EXPECT_EQ(form.At("CboPattern").list, kDesignedPatterns);
    EXPECT_EQ(form.At("CboPattern").text, "");
    // A unit outside the table shows its number, and the first click brings it to 0.
    EXPECT_EQ(form.At("LblUnit").caption, "7");
    EXPECT_TRUE(form.ClickUnitLabel());
    EXPECT_EQ(session.options.GUnit, 0);
    EXPECT_EQ(form.At("LblUnit").caption, "なし");
    // Get stores "*.*" for the empty pattern.
    form.StoreControls();
    EXPECT_EQ(session.options.GFPattern, "*.*");
}

TEST_F(SettingsFormTest, LoadingRunsTheReactionsInOrder) {
    {
        // Both tree flags stored: ChkTreeF is set last and unchecks ChkTreeP.
        session.options.GTreeP = session.options.GTreeF = true;
        session.options.GFolder = true;
        Loaded(true);
        EXPECT_TRUE(Checked("ChkTreeF"));
        EXPECT_FALSE(Checked("ChkTreeP"));
        for (const auto& name : kTreeDisabled) EXPECT_FALSE(form.At(name).enabled) << name;
        EXPECT_TRUE(Checked("ChkFolder"));
        form.StoreControls();
        EXPECT_FALSE(session.options.GTreeP);
        EXPECT_TRUE(session.options.GTreeF);
    }
    {
        // ChkBackword is set after ChkName and stays checked but disabled; ChkDir after
        // ChkFolder leaves the folder box checked in a disabled frame.
        Session s;
        s.SettingsLoaded = true;
        s.options.GName = s.options.GBackword = s.options.GFolder = s.options.GDir = true;
        SettingsForm f(s, fs);
        f.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
        EXPECT_TRUE(f.At("ChkBackword").checked);
        EXPECT_FALSE(f.At("ChkBackword").enabled);
        EXPECT_TRUE(f.At("ChkFolder").checked);
        EXPECT_FALSE(f.At("ChkFolder").enabled);
        EXPECT_FALSE(f.At("CboPattern").enabled);
        EXPECT_FALSE(f.At("FraFile").enabled);
        EXPECT_EQ(f.InitialFocus(), "ChkName");
    }
}

TEST_F(SettingsFormTest, TreeBoxesExcludeEachOtherAndDisableTheOtherHandlings) {
    Loaded(false);
    form.SetChecked("ChkTreeP", true);
    form.SetChecked("ChkTreeF", true);
    EXPECT_TRUE(Checked("ChkTreeF"));
    EXPECT_FALSE(Checked("ChkTreeP"));
    for (const auto& name : kTreeDisabled) EXPECT_FALSE(form.At(name).enabled) << name;
    for (const char* name : {"FraCommon", "ChkUpper", "ChkUnc", "ChkRepYen", "ChkRepSP", "TxtPrefix",
                             "TxtSuffix", "FraTree", "ChkTreeP", "ChkTreeF", "LblUnit", "ChkMenu", "CmdGet"})
        EXPECT_TRUE(Enabled(name)) << name;
    // The unit label lies in the disabled file frame: clicks do nothing.
    EXPECT_FALSE(form.ClickUnitLabel());
    EXPECT_EQ(session.options.GUnit, 0);
    EXPECT_EQ(form.InitialFocus(), "ChkUpper");

    // Unchecking the one checked tree box never checks the other; the enabling follows
    // ChkName, ChkDir and ChkFolder again.
    form.SetChecked("ChkFolder", true);  // while disabled, as the loading may do
    form.SetChecked("ChkTreeF", false);
    EXPECT_FALSE(Checked("ChkTreeP"));
    EXPECT_FALSE(Checked("ChkTreeF"));
    for (const char* name : {"OptLong", "OptShot", "ChkName", "ChkBackword", "ChkTime", "Chk1Frtn", "FraFile",
                             "ChkExt", "ChkSize", "ChkFolder", "LblPattern", "CboPattern", "ChkSub",
                             "FraFolder", "ChkDir"})
        EXPECT_TRUE(Enabled(name)) << name;

    // Setting a box to the state it has runs nothing.
    form.SetChecked("ChkTreeP", true);
    form.SetChecked("ChkTreeP", true);
    EXPECT_TRUE(Checked("ChkTreeP"));
    EXPECT_FALSE(Enabled("ChkName"));
}

TEST_F(SettingsFormTest, NameDirAndFolderBoxesGovernTheirControls) {
    Loaded(false);
    // ChkName disables ChkBackword but keeps its check mark; Get then stores it off.
    form.SetChecked("ChkBackword", true);
    form.SetChecked("ChkName", true);
    EXPECT_TRUE(Checked("ChkBackword"));
    EXPECT_FALSE(Enabled("ChkBackword"));
    form.StoreControls();
    EXPECT_FALSE(session.options.GBackword);
    form.SetChecked("ChkName", false);
    EXPECT_TRUE(Enabled("ChkBackword"));
    form.StoreControls();
    EXPECT_TRUE(session.options.GBackword);

    // ChkFolder enables the pattern controls; ChkDir disables the whole file frame.
    form.SetChecked("ChkFolder", true);
    for (const char* name : {"LblPattern", "CboPattern", "ChkSub"}) EXPECT_TRUE(Enabled(name)) << name;
    form.SetChecked("ChkDir", true);
    for (const char* name : {"FraFile", "ChkExt", "ChkSize", "ChkFolder", "LblPattern", "CboPattern", "ChkSub"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_TRUE(Checked("ChkFolder"));
    EXPECT_TRUE(Enabled("ChkDir"));
    EXPECT_FALSE(form.IsUsable("LblUnit"));
    EXPECT_TRUE(Enabled("LblUnit"));  // the label's own state never changes

    // Unchecking ChkDir restores the pattern controls only while ChkFolder is checked.
    form.SetChecked("ChkDir", false);
    EXPECT_TRUE(Enabled("CboPattern"));
    form.SetChecked("ChkDir", true);
    form.SetChecked("ChkFolder", false);
    form.SetChecked("ChkDir", false);
    for (const char* name : {"FraFile", "ChkExt", "ChkSize", "ChkFolder"}) EXPECT_TRUE(Enabled(name)) << name;
    for (const char* name : {"LblPattern", "CboPattern", "ChkSub"}) EXPECT_FALSE(Enabled(name)) << name;

    // Other boxes change no enabled state; only check boxes take SetChecked.
    form.SetChecked("ChkUpper", true);
    EXPECT_FALSE(Enabled("ChkSub"));
    EXPECT_FALSE(form.SetChecked("OptLong", true));
    EXPECT_FALSE(form.SetChecked("NoSuchBox", true));
}

TEST_F(SettingsFormTest, UnitLabelCyclesThroughTheFourUnits) {
    Loaded(false);
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(form.ClickUnitLabel());
        shown.push_back(form.At("LblUnit").caption);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"byte", "KB", "MB", "なし"}));
    EXPECT_EQ(session.options.GUnit, 0);
    form.ClickUnitLabel();
    EXPECT_EQ(session.options.GUnit, 1);  // written at once, without Get
}

TEST_F(SettingsFormTest, StoringFromTheControls) {
    // Which control stores each option: OptionTableTest.
    session.options.GUnit = 3;
    session.options.GFPatternSet = "*.a|*.b";
    Loaded(false);
    {
        // The designed state stores the designed values.
        form.StoreControls();
        OptionSet expected = OptionSet::Designed();
        expected.GUnit = 3;  // neither GUnit nor the pattern list is read from the controls
        expected.GFPatternSet = "*.a|*.b";
        EXPECT_EQ(session.options, expected);
    }
    {
        form.SelectOption("OptShot");
        form.SetChecked("ChkBackword", true);
        form.SetChecked("ChkDir", true);
        form.SetText("CboPattern", "*.xyz");  // typed, not in the list
        form.StoreControls();
        const OptionSet& o = session.options;
        EXPECT_FALSE(o.GLong);
        EXPECT_TRUE(o.GBackword && o.GDir);
        EXPECT_EQ(o.GFPattern, "*.xyz");
        EXPECT_EQ(o.GFPatternSet, "*.a|*.b");
        EXPECT_EQ(form.At("CboPattern").list, kDesignedPatterns);
        EXPECT_EQ(o.GUnit, 3);
    }
    {
        form.SelectOption("OptLong");
        EXPECT_FALSE(form.At("OptShot").selected);
        form.SetText("CboPattern", "");
        form.SetChecked("ChkTreeP", true);
        form.StoreControls();
        EXPECT_TRUE(session.options.GLong);
        EXPECT_EQ(session.options.GFPattern, "*.*");
        EXPECT_FALSE(session.options.GBackword);  // checked but disabled by the tree box
        EXPECT_TRUE(session.options.GDir);        // disabled boxes still store their state
        EXPECT_FALSE(form.SetText("ChkUpper", "x"));
    }
}

TEST_F(SettingsFormTest, PlacementNearThePointerWithinTheScreen) {
    auto place = [](int x, int y, double tpp, int w, int h) {
        Session s;
        FakePlatform p;
        SettingsForm f(s, p);
        f.Load(x, y, tpp, tpp, w, h);
        return std::pair{f.WindowLeft(), f.WindowTop()};
    };
    const int w = 1024 * 15, h = 768 * 15;
    EXPECT_EQ(place(800, 700, 15, w, h), std::pair(800 * 15 - 1700, 700 * 15 - 6460));
    EXPECT_EQ(place(1000, 760, 15, w, h), std::pair(w - 4120, h - 7200));
    EXPECT_EQ(place(50, 100, 15, w, h), std::pair(0, 0));
    EXPECT_EQ(place(0, 0, 15, w, h), std::pair(0, 0));
    // On a screen smaller than the window the right and bottom limits win.
    EXPECT_EQ(place(10, 10, 15, 4000, 7000), std::pair(-120, -200));
    // Fractional twips per pixel round to the nearest, an exact half to the even one.
    EXPECT_EQ(place(401, 1000, 4.5, w, h), std::pair(104, 0));      // 104.5 -> 104
    EXPECT_EQ(place(403, 2000, 4.5, w, h).first, 114);     // 113.5 -> 114
    EXPECT_EQ(place(401, 2000, 4.5, w, h).second, 2540);   // 2540 exactly
    EXPECT_EQ(place(379, 2000, 4.5, w, h).first, 6);       // 5.5 -> 6
    EXPECT_EQ(place(381, 2000, 4.5, w, h).first, 14);      // 14.5 -> 14

    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
    EXPECT_EQ(RoundHalfEven(7.49), 7);
}

TEST_F(SettingsFormTest, GetStoresRunsAndSavesOnce) {
    fs.AddFile("C:\\dir\\a.txt", 10);
    fs.commandLine = "C:\\dir\\a.txt";
    session.options = OptionSet::Designed();
    Loaded(false);
    form.SetText("CboPattern", "*.log");
    form.SetChecked("ChkName", true);
    form.Get();
    EXPECT_TRUE(form.IsClosed());
    EXPECT_EQ(session.options.GFPattern, "*.log");
    // The run used the options just stored from the controls.
    EXPECT_EQ(fs.clipboard, "a.txt");
    EXPECT_EQ(fs.settingsWrites, 1);
    ASSERT_TRUE(fs.settingsText.has_value());
    OptionSet saved;
    ParseSettings(*fs.settingsText, saved);
    EXPECT_EQ(saved.GFPattern, "*.log");
    EXPECT_EQ(saved.GFPatternSet, kDefaultPatternSet);
    // Nothing runs or saves again once the window is closed.
    form.Get();
    form.Close();
    EXPECT_EQ(fs.settingsWrites, 1);
}

TEST_F(SettingsFormTest, CancelLeavesEverythingAlone) {
    fs.settingsText = "GLong=False\r\n";
    session.options.GLong = false;
    Loaded(true);
    form.SetChecked("ChkUpper", true);
    form.ClickUnitLabel();
    form.Cancel();
    EXPECT_TRUE(form.IsClosed());
    EXPECT_TRUE(session.Cancelled);
    EXPECT_FALSE(session.options.GUpper);
    EXPECT_EQ(fs.settingsWrites, 0);
    EXPECT_EQ(fs.settingsText, "GLong=False\r\n");
    EXPECT_FALSE(fs.clipboard.has_value());
    form.Close();
    EXPECT_EQ(fs.settingsWrites, 0);
}

TEST_F(SettingsFormTest, SystemCloseSavesTheLoadedOptionsAndUnitClicks) {
    session.options.GName = true;
    Loaded(true);
    form.SetChecked("ChkUpper", true);  // not stored: Get was never pressed
    for (int i = 0; i < 3; ++i) form.ClickUnitLabel();
    form.Close();
    form.Close();
    EXPECT_EQ(fs.settingsWrites, 1);
    ASSERT_TRUE(fs.settingsText.has_value());
    OptionSet saved;
    ParseSettings(*fs.settingsText, saved);
    EXPECT_EQ(saved.GUnit, 3);
    EXPECT_TRUE(saved.GName);
    EXPECT_FALSE(saved.GUpper);
    EXPECT_FALSE(fs.clipboard.has_value());
}

TEST_F(SettingsFormTest, HelpOpensTheUsageTextAndKeepsTheWindow) {
    Loaded(false);
    OptionSet before = session.options;
    form.Help();
    EXPECT_TRUE(form.Run(Command::Help));
    EXPECT_FALSE(form.Run(Command::None));  // a control without a command does nothing
    EXPECT_EQ(fs.usageTextOpened, 2);
    EXPECT_FALSE(form.IsClosed());
    EXPECT_EQ(session.options, before);
    EXPECT_FALSE(fs.clipboard.has_value());
    EXPECT_EQ(fs.settingsWrites, 0);
}

}  // namespace
}  // namespace kirramo
