#include "options/Settings.h"

#include <gtest/gtest.h>

#include "fake/FakePlatform.h"

using kirramo::OptionSet;
using kirramo::ParseSettings;
using kirramo::SettingsText;

namespace {

// Every field away from its start-up value, texts with blanks and Japanese.
OptionSet Everything() {
    OptionSet o;
    o.GLong = o.GUpper = o.GName = o.GExt = o.GFolder = true;
    o.GFPattern = " *.txt;*.log ";
    o.GFPatternSet = "*.*|*.txt|写真*.jpg";
    o.GSub = o.GTime = o.GUnc = o.GSize = true;
    o.GUnit = 3;
    o.GDir = o.GBackword = o.GTreeP = o.GTreeF = true;
    o.GRepYen = o.GRepSP = o.G1Frtn = o.GMenu = true;
    o.GPrefix = "  接頭語 [";
    o.GSuffix = "] ";
    return o;
}

OptionSet Parsed(std::string_view text) {
    OptionSet o;
    EXPECT_TRUE(ParseSettings(text, o));
    return o;
}

}  // namespace

TEST(SettingsText, WritesTheTwentyTwoLinesInOrderEndedByCrLf) {
    OptionSet o = OptionSet::Designed();
    o.GFPatternSet = kirramo::kDefaultPatternSet;
    EXPECT_EQ(SettingsText(o),
              "GLong=True\r\nGUpper=False\r\nGName=False\r\nGExt=False\r\nGFolder=False\r\n"
              "GFPattern=*.*\r\n"
              "GFPatternSet=*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt\r\n"
              "GSub=False\r\nGTime=False\r\nGUnc=False\r\nGSize=False\r\nGUnit=0\r\n"
              "GDir=False\r\nGBackword=False\r\nGTreeP=False\r\nGTreeF=False\r\n"
              "GRepYen=False\r\nGRepSP=False\r\nG1Frtn=False\r\nGMenu=False\r\n"
              "GPrefix=\r\nGSuffix=\r\n");
}

TEST(ParseSettings, FlagsAreOnOnlyForExactTrue) {
    EXPECT_TRUE(Parsed("GLong=True").GLong);
    EXPECT_FALSE(Parsed("GLong=true").GLong);
    EXPECT_FALSE(Parsed("GLong=True ").GLong);
    EXPECT_FALSE(Parsed("GLong=-1").GLong);
    EXPECT_FALSE(Parsed("GLong=").GLong);
    OptionSet on;
    on.GLong = true;
    EXPECT_TRUE(ParseSettings("GLong=False", on));
    EXPECT_FALSE(on.GLong);
}

TEST(ParseSettings, KeyCountsOnlyAtTheStartOfItsLine) {
    OptionSet o;
    o.GLong = true;
    // A blank before or inside the key text: the line is not a key line.
    EXPECT_TRUE(ParseSettings("GLong =False\r\n GLong=False\r\nglong=False\r\n", o));
    EXPECT_TRUE(o.GLong);
    // Texts holding other keys' texts are read whole and touch nothing else.
    OptionSet t = Parsed("GPrefix=<GLong=True>\r\nGSuffix=GUnit=7\r\nGFPattern=GMenu=True\r\n");
    EXPECT_EQ(t.GPrefix, "<GLong=True>");
    EXPECT_EQ(t.GSuffix, "GUnit=7");
    EXPECT_EQ(t.GFPattern, "GMenu=True");
    EXPECT_FALSE(t.GLong);
    EXPECT_FALSE(t.GMenu);
    EXPECT_EQ(t.GUnit, 0);
    // "GFPattern=" and "GFPatternSet=" are told apart.
    OptionSet p = Parsed("GFPatternSet=*.a|*.b\r\nGFPattern=*.c\r\n");
    EXPECT_EQ(p.GFPatternSet, "*.a|*.b");
    EXPECT_EQ(p.GFPattern, "*.c");
}

TEST(ParseSettings, CrLfLoneCrAndLoneLfAllEndLines) {
    OptionSet o = Parsed("GLong=True\nGUpper=True\rGName=True\r\n\r\n\nGExt=True");
    EXPECT_TRUE(o.GLong);
    EXPECT_TRUE(o.GUpper);
    EXPECT_TRUE(o.GName);
    EXPECT_TRUE(o.GExt);
    EXPECT_EQ(Parsed("GPrefix=a\nGSuffix=b\n").GPrefix, "a");
    // An editor's byte-order mark does not hide the first key.
    EXPECT_TRUE(Parsed("\xEF\xBB\xBFGLong=True\r\n").GLong);
}

TEST(ParseSettings, UnitIsTheLastCharacterAndABadUnitLineIsSkipped) {
    EXPECT_EQ(Parsed("GUnit=12").GUnit, 2);
    EXPECT_EQ(Parsed("GUnit=9\r\n").GUnit, 9);
    OptionSet o;
    o.GUnit = 1;
    // "GUnit=" and "GUnit=3 " carry no unit; reading goes on to the later lines.
    EXPECT_TRUE(ParseSettings("GUnit=\r\nGMenu=True\r\nGUnit=3 \r\nGSuffix=x", o));
    EXPECT_EQ(o.GUnit, 1);
    EXPECT_TRUE(o.GMenu);
    EXPECT_EQ(o.GSuffix, "x");
}

TEST(ParseSettings, MissingKeysKeepTheirValuesAndTheLastLineWins) {
    OptionSet o = OptionSet::Designed();
    o.GPrefix = "keep";
    EXPECT_TRUE(ParseSettings("GSize=True\r\nOther=1\r\n\r\nGSize=False\r\nGSuffix=s1\r\n"
                              "GSuffix=s2\r\n", o));
    OptionSet expected = OptionSet::Designed();
    expected.GPrefix = "keep";
    expected.GSuffix = "s2";
    EXPECT_EQ(o, expected);
    EXPECT_EQ(Parsed(""), OptionSet{});
}

// ---- The settings file through the platform ----

using kirramo::FakePlatform;
using kirramo::Session;

TEST(LoadSettings, ReadsTheFileOrReportsThatThereIsNone) {
    FakePlatform fs;
    Session s;
    EXPECT_FALSE(LoadSettings(s, fs));
    EXPECT_EQ(s.options, OptionSet{});

    fs.settingsText = "GTreeF=True\r\nGUnit=\r\nGPrefix=「\r\n";  // some keys, a bad unit line
    EXPECT_TRUE(LoadSettings(s, fs));
    OptionSet expected;
    expected.GTreeF = true;
    expected.GPrefix = "「";
    EXPECT_EQ(s.options, expected);
    EXPECT_TRUE(fs.messages.empty());
}

TEST(LoadSettings, EachLineInItsCodePageAndAFileWithoutKeysCountsAsNone) {
    const struct {
        const char* what;
        std::string bytes;
        bool loaded;
        std::string prefix, suffix;
    } cases[] = {
        {"UTF-8 behind the mark", "\xEF\xBB\xBFGLong=True\r\nGPrefix=「日本」\r\n", true, "「日本」", ""},
        {"UTF-8 without the mark", "GLong=True\r\nGPrefix=「日本」\r\n", true, "「日本」", ""},
        {"cp932", "GLong=True\r\nGPrefix=\x81\x75\x93\xFA\x96\x7B\x81\x76\r\n", true, "「日本」", ""},
        {"a cp932 line among UTF-8 lines", "GLong=True\nGPrefix=😀한\rGSuffix=\x95\x5C\xB1\r\n", true, "😀한", "表ｱ"},
        // Behind the mark everything is UTF-8: bytes that are not stay as they are.
        {"stray bytes behind the mark", "\xEF\xBB\xBFGLong=True\r\nGSuffix=\x95\x5C", true, "", "\x95\x5C"},
        {"empty", "", false, "", ""},
        {"the mark alone", "\xEF\xBB\xBF", false, "", ""},
        {"no key", "[Settings]\r\nglong=True\r\n\x93\xFA\x96\x7B\x00\xFF\r\n", false, "", ""},
        {"a unit line without a unit", "GUnit=\r\n", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform fs;
        fs.settingsText = c.bytes;
        Session s;
        EXPECT_EQ(LoadSettings(s, fs), c.loaded);
        OptionSet expected;
        expected.GLong = c.loaded;
        expected.GPrefix = c.prefix;
        expected.GSuffix = c.suffix;
        EXPECT_EQ(s.options, expected);
    }
}

TEST(SaveSettings, PlainFormWhereItHoldsEveryCharacterElseUtf8BehindTheMark) {
    const struct {
        bool cp932;  // the plain form is cp932 (Windows) or UTF-8 (Linux)
        std::string prefix, line;
        bool mark;
    } cases[] = {
        {true, "「前」ｱ", "GPrefix=\x81\x75\x91\x4F\x81\x76\xB1\r\n", false},
        {true, "😀한前", "GPrefix=😀한前\r\n", true},
        {false, "😀한前", "GPrefix=😀한前\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        FakePlatform fs;
        fs.settingsInCp932 = c.cp932;
        Session s;
        s.options = Everything();
        s.options.GFPatternSet = "*.*|*.txt";
        s.options.GPrefix = c.prefix;
        SaveSettings(s, fs);
        ASSERT_TRUE(fs.settingsText);
        EXPECT_EQ(fs.settingsText->starts_with("\xEF\xBB\xBF"), c.mark);
        EXPECT_NE(fs.settingsText->find("\r\n" + c.line), std::string::npos);
        EXPECT_TRUE(fs.messages.empty());
        // Read back whole, whichever form was written.
        Session back;
        EXPECT_TRUE(LoadSettings(back, fs));
        EXPECT_EQ(back.options, s.options);
    }
}

TEST(SaveSettings, WritesAllFieldsUnlessCancelled) {
    FakePlatform fs;
    Session s;
    s.options = Everything();
    s.Cancelled = true;
    SaveSettings(s, fs);
    EXPECT_EQ(fs.settingsWrites, 0);
    EXPECT_FALSE(fs.settingsText);

    s.Cancelled = false;
    SaveSettings(s, fs);
    ASSERT_TRUE(fs.settingsText);
    EXPECT_EQ(*fs.settingsText, SettingsText(Everything()));

    Session back;
    EXPECT_TRUE(LoadSettings(back, fs));
    EXPECT_EQ(back.options, Everything());
}

TEST(SaveSettings, EmptyPatternListBecomesTheDefaultListInTheOptionsToo) {
    FakePlatform fs;
    Session s;  // start-up values: every flag off, texts empty
    SaveSettings(s, fs);
    EXPECT_EQ(s.options.GFPatternSet, kirramo::kDefaultPatternSet);
    ASSERT_TRUE(fs.settingsText);
    EXPECT_NE(fs.settingsText->find("\r\nGFPattern=\r\nGFPatternSet=*.*|*.bat|"), std::string::npos);
}

TEST(SaveSettings, FailedWriteChangesNothingAndSaysSoOnce) {
    FakePlatform fs;
    fs.settingsText = "GLong=True\r\n";
    fs.settingsWriteFails = true;
    Session s;
    s.options = Everything();
    SaveSettings(s, fs);
    EXPECT_EQ(fs.settingsWrites, 1);  // tried once, no retry
    EXPECT_EQ(fs.settingsText, "GLong=True\r\n");
    EXPECT_EQ(fs.messages,
              std::vector<std::string>{"設定を保存できませんでした。\r\nC:\\Program Files\\Kirramo\\Tolvane.ini"});
    EXPECT_EQ(s.options, Everything());
}
