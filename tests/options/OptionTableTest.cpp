// Each option alone, away from the designed values, through every road it takes: its
// line in the settings text, the reading of that text, the settings window's loading
// (which control shows it) and storing, and the two quick presets. Two options wired to
// each other's key, field, control or preset value fail here.
#include "options/OptionTable.h"

#include <gtest/gtest.h>

#include <map>

#include "fake/FakePlatform.h"
#include "options/Settings.h"
#include "startup/Main.h"
#include "window/SettingsForm.h"

namespace kirramo {
namespace {

struct OptionCase {
    void (*set)(OptionSet&);  // sets the option alone
    const char* line;         // its line in the settings text then
    const char* shown;        // what the loaded window then shows otherwise than by design
    const char* afterShift;   // its line after the quick preset of Shift
    const char* afterCtrl;    // and of Ctrl
};

#define SET(field, value) [](OptionSet& o) { o.field = value; }

const OptionCase kCases[] = {
    {SET(GLong, false), "GLong=False", "OptLong.selected=0\nOptShot.selected=1", "GLong=True", "GLong=True"},
    {SET(GUpper, true), "GUpper=True", "ChkUpper.checked=1", "GUpper=False", "GUpper=False"},
    {SET(GName, true), "GName=True", "ChkName.checked=1", "GName=True", "GName=False"},
    {SET(GExt, true), "GExt=True", "ChkExt.checked=1", "GExt=False", "GExt=False"},
    {SET(GFolder, true), "GFolder=True", "ChkFolder.checked=1", "GFolder=False", "GFolder=False"},
    {SET(GFPattern, " *.txt;写真* "), "GFPattern= *.txt;写真* ", "CboPattern.text= *.txt;写真* ", "GFPattern=*.*",
     "GFPattern=*.*"},
    // The list keeps the empty piece between two bars.
    {SET(GFPatternSet, "*.txt||写真*.jpg"), "GFPatternSet=*.txt||写真*.jpg", "CboPattern.list=*.txt||写真*.jpg",
     "GFPatternSet=*.txt||写真*.jpg", "GFPatternSet=*.txt||写真*.jpg"},
    {SET(GSub, true), "GSub=True", "ChkSub.checked=1", "GSub=False", "GSub=False"},
    {SET(GTime, true), "GTime=True", "ChkTime.checked=1", "GTime=False", "GTime=False"},
    {SET(GUnc, true), "GUnc=True", "ChkUnc.checked=1", "GUnc=False", "GUnc=False"},
    {SET(GSize, true), "GSize=True", "ChkSize.checked=1", "GSize=False", "GSize=False"},
    {SET(GUnit, 3), "GUnit=3", "LblUnit.caption=MB", "GUnit=0", "GUnit=0"},
    {SET(GDir, true), "GDir=True", "ChkDir.checked=1", "GDir=False", "GDir=False"},
    {SET(GBackword, true), "GBackword=True", "ChkBackword.checked=1", "GBackword=False", "GBackword=False"},
    {SET(GTreeP, true), "GTreeP=True", "ChkTreeP.checked=1", "GTreeP=True", "GTreeP=True"},
    {SET(GTreeF, true), "GTreeF=True", "ChkTreeF.checked=1", "GTreeF=False", "GTreeF=False"},
    {SET(GRepYen, true), "GRepYen=True", "ChkRepYen.checked=1", "GRepYen=False", "GRepYen=False"},
    {SET(GRepSP, true), "GRepSP=True", "ChkRepSP.checked=1", "GRepSP=False", "GRepSP=False"},
    {SET(G1Frtn, true), "G1Frtn=True", "Chk1Frtn.checked=1", "G1Frtn=False", "G1Frtn=False"},
    {SET(GMenu, true), "GMenu=True", "ChkMenu.checked=1", "GMenu=True", "GMenu=True"},
    {SET(GPrefix, "  接頭語 ["), "GPrefix=  接頭語 [", "TxtPrefix.text=  接頭語 [", "GPrefix=  接頭語 [",
     "GPrefix=  接頭語 ["},
    {SET(GSuffix, "] "), "GSuffix=] ", "TxtSuffix.text=] ", "GSuffix=] ", "GSuffix=] "},
};

#undef SET

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The lines of the second text that differ from the first's, one per line.
std::string ChangedLines(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = Lines(before), b = Lines(after);
    std::string changed;
    for (size_t i = 0; i < b.size(); ++i)
        if (i >= a.size() || a[i] != b[i]) changed += (changed.empty() ? "" : "\n") + b[i];
    return changed;
}

// What the window shows of each control that shows a value.
std::map<std::string, std::string> Values(const SettingsForm& form) {
    std::map<std::string, std::string> values;
    for (const Control& c : form.Controls()) {
        switch (c.kind) {
        case ControlKind::CheckBox:
            values[c.name + ".checked"] = c.checked ? "1" : "0";
            break;
        case ControlKind::OptionButton:
            values[c.name + ".selected"] = c.selected ? "1" : "0";
            break;
        case ControlKind::ComboBox: {
            std::string list;
            for (const std::string& item : c.list) list += (list.empty() ? "" : "|") + item;
            values[c.name + ".list"] = list;
            values[c.name + ".text"] = c.text;
            break;
        }
        case ControlKind::TextBox:
            values[c.name + ".text"] = c.text;
            break;
        case ControlKind::Label:
            values[c.name + ".caption"] = c.caption;
            break;
        default:
            break;
        }
    }
    return values;
}

// The options loaded into the settings window as read from the settings file, what the
// window shows then, and the options its Get command stores.
struct WindowRoad {
    std::map<std::string, std::string> shown;
    OptionSet stored;
};
WindowRoad ThroughTheWindow(const OptionSet& options) {
    Session session;
    FakePlatform fs;
    session.options = options;
    session.SettingsLoaded = true;
    SettingsForm form(session, fs);
    form.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
    WindowRoad road{Values(form), {}};
    form.StoreControls();
    road.stored = session.options;
    return road;
}

std::string Changes(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after) {
    std::string changed;
    for (const auto& [key, value] : after)
        if (before.at(key) != value) changed += (changed.empty() ? "" : "\n") + key + "=" + value;
    return changed;
}

// The option's line after the quick preset of the held key.
std::string LineAfterPreset(const OptionSet& options, bool shift, const std::string& key) {
    FakePlatform keys;
    keys.shiftHeld = shift;
    keys.controlHeld = !shift;
    Session session;
    session.options = options;
    EXPECT_EQ(ReadLaunchKeys(session, keys), kLaunchPreset);
    for (const std::string& line : Lines(SettingsText(session.options)))
        if (line.starts_with(key)) return line;
    return "<no line " + key + ">";
}

TEST(OptionTable, EachOptionAloneTakesItsOwnLineControlAndPresetValues) {
    // Every option of the table has its case.
    ASSERT_EQ(std::size(kCases), Options().size());
    for (const OptionRow& row : Options()) {
        bool found = false;
        for (const OptionCase& c : kCases) found = found || std::string_view(c.line).starts_with(row.key);
        EXPECT_TRUE(found) << row.key;
    }

    const OptionSet designed = OptionSet::Designed();
    const std::string designedText = SettingsText(designed);
    const WindowRoad designedWindow = ThroughTheWindow(designed);
    EXPECT_EQ(designedWindow.stored, designed);

    for (const OptionCase& c : kCases) {
        SCOPED_TRACE(c.line);
        OptionSet alone = designed;
        c.set(alone);
        ASSERT_NE(alone, designed);

        const std::string text = SettingsText(alone);
        EXPECT_EQ(ChangedLines(designedText, text), c.line);
        OptionSet read;
        ASSERT_TRUE(ParseSettings(text, read));
        EXPECT_EQ(read, alone);

        const WindowRoad window = ThroughTheWindow(read);
        EXPECT_EQ(Changes(designedWindow.shown, window.shown), c.shown);
        EXPECT_EQ(window.stored, alone);

        const std::string key(c.line, std::string_view(c.line).find('=') + 1);
        EXPECT_EQ(LineAfterPreset(alone, true, key), c.afterShift);
        EXPECT_EQ(LineAfterPreset(alone, false, key), c.afterCtrl);
    }
}

}  // namespace
}  // namespace kirramo
