#include "collect/FormatItem.h"

#include <gtest/gtest.h>

#include "collect/LineFixture.h"

using namespace kirramo;

namespace {

// The long form and every other option off, as the tests start.
struct FormatFixture : ::testing::Test, FakeLines {
    std::string base;  // the selected path's base, as the run keeps it
    FormatFixture() { o.GLong = true; }

    // The line of an existing item, as the run would make it for a selected path.
    std::string Line(const std::string& path) {
        base = SelectionBase(Context(), path);
        return Item(path);
    }
    // The line of an item below the current selection.
    std::string Item(const std::string& path) {
        auto entry = fs.Stat(path, WantedFor(o));
        EXPECT_TRUE(entry) << path;
        return FormatItem(Context(), base, path, *entry);
    }
};

}  // namespace

TEST(PathText, NameParentAndExtension) {
    EXPECT_EQ(NameOfPath("C:\\dir\\file.txt", '\\'), "file.txt");
    EXPECT_EQ(NameOfPath("file.txt", '\\'), "file.txt");
    EXPECT_EQ(NameOfPath("C:\\", '\\'), "");
    EXPECT_EQ(ParentOfPath("C:\\dir\\file.txt", '\\'), "C:\\dir");
    EXPECT_EQ(ParentOfPath("C:\\", '\\'), "C:");
    EXPECT_EQ(ParentOfPath("/x", '/'), "");
    EXPECT_THROW(ParentOfPath("C:", '\\'), std::invalid_argument);
    EXPECT_EQ(StripExtension("C:\\dir\\archive.tar.gz", '\\'), "C:\\dir\\archive.tar");
    EXPECT_EQ(StripExtension("C:\\a.b\\readme", '\\'), "C:\\a.b\\readme");
    EXPECT_EQ(StripExtension(".profile", '\\'), "");
    EXPECT_EQ(StripExtension("noext", '\\'), "noext");
}

TEST_F(FormatFixture, NameAndExtensionOptions) {
    fs.AddFile("C:\\dir\\file.txt");
    fs.AddFile("C:\\dir\\.hidden");
    fs.AddFolder("C:\\dir.old");
    EXPECT_EQ(Line("C:\\dir\\file.txt"), "C:\\dir\\file.txt");
    o.GExt = true;
    EXPECT_EQ(Line("C:\\dir\\file.txt"), "C:\\dir\\file");
    EXPECT_EQ(Line("C:\\dir.old"), "C:\\dir.old");  // folders keep their dot
    o.GName = true;
    EXPECT_EQ(Line("C:\\dir\\file.txt"), "file");
    EXPECT_EQ(Line("C:\\dir\\.hidden"), "");
    o.GExt = false;
    EXPECT_EQ(Line("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(Line("C:\\"), "");
}

TEST_F(FormatFixture, BackwordCutsTheSelectedFoldersParent) {
    fs.AddFolder("C:\\a\\b\\c");
    fs.AddFolder("C:\\x");
    o.GBackword = true;
    EXPECT_EQ(SelectionBase(Context(), "C:\\a\\b"), "C:\\a");
    EXPECT_EQ(Line("C:\\a\\b"), "b");
    EXPECT_EQ(Item("C:\\a\\b\\c"), "b\\c");
    // A drive root: the base is "C:", the root's own text is empty.
    EXPECT_EQ(Line("C:\\"), "");
    EXPECT_EQ(Item("C:\\x"), "x");
    // An item shorter than the base cannot be cut.
    base = "C:\\a\\b\\c\\d";
    EXPECT_THROW(Item("C:\\x"), std::invalid_argument);
    o.GBackword = false;
    EXPECT_EQ(SelectionBase(Context(), "C:\\a\\b"), "");
}

TEST_F(FormatFixture, BackwordCountsCharactersNotBytes) {
    fs.AddFile("C:\\写真\\家族\\海.jpg");
    o.GBackword = true;
    o.GName = false;
    EXPECT_EQ(Line("C:\\写真\\家族"), "家族");
    EXPECT_EQ(Item("C:\\写真\\家族\\海.jpg"), "家族\\海.jpg");
}

TEST_F(FormatFixture, ShortFormAndItsFailure) {
    fs.AddFile("C:\\Program Files\\Long Name.txt");
    fs.SetShortName("C:\\Program Files", "PROGRA~1");
    fs.SetShortName("C:\\Program Files\\Long Name.txt", "LONGNA~1.TXT");
    o.GLong = false;
    o.GBackword = true;
    EXPECT_EQ(SelectionBase(Context(), "C:\\Program Files\\Long Name.txt"), "C:\\PROGRA~1");
    EXPECT_EQ(Line("C:\\Program Files\\Long Name.txt"), "LONGNA~1.TXT");
    EXPECT_TRUE(fs.messages.empty());
    fs.shortPathFails = true;  // the text stays as it was, after one message per failure
    EXPECT_EQ(Line("C:\\Program Files\\Long Name.txt"), "Long Name.txt");
    EXPECT_EQ(fs.messages.size(), 2u);
}

TEST_F(FormatFixture, NetworkFormComesBeforeTheLongFormAndTheBaseCutsTheLocalText) {
    fs.AddFile("Z:\\PROJEC~1\\doc.txt");
    fs.AddFile("\\\\srv\\share\\Projects\\doc.txt");
    fs.SetShortName("\\\\srv\\share\\Projects", "PROJEC~1");
    fs.driveConnections["Z:"] = "\\\\srv\\share";
    o.GUnc = true;
    EXPECT_EQ(Line("Z:\\PROJEC~1\\doc.txt"), "\\\\srv\\share\\Projects\\doc.txt");
    o.GBackword = true;
    EXPECT_EQ(SelectionBase(Context(), "Z:\\PROJEC~1\\doc.txt"), "Z:\\PROJEC~1");
    EXPECT_EQ(Line("Z:\\PROJEC~1\\doc.txt"), "doc.txt");
}

TEST_F(FormatFixture, PrefixSuffixAndColumns) {
    FileTicks t = FakePlatform::Ticks(2007, 7, 15, 16, 10, 0);
    fs.AddFile("C:\\d\\f.txt", 1572864, t);
    fs.AddFolder("C:\\d\\sub", t);
    fs.AddFile("C:\\d\\untimed.txt", 10);
    o.GPrefix = "<";
    o.GSuffix = ">";
    o.GTime = true;
    o.GSize = true;
    o.GUnit = 2;
    EXPECT_EQ(Line("C:\\d\\f.txt"), "<C:\\d\\f.txt>\t2007/07/16 01:10:00\t1,536KB");
    EXPECT_EQ(Line("C:\\d\\sub"), "<C:\\d\\sub>\t2007/07/16 1:10:00");  // no size for folders
    // An unknown time leaves its column empty; the TAB stays.
    EXPECT_EQ(Line("C:\\d\\untimed.txt"), "<C:\\d\\untimed.txt>\t\t0KB");
    o.GUnit = 5;  // no size column and no trailing TAB
    EXPECT_EQ(Line("C:\\d\\f.txt"), "<C:\\d\\f.txt>\t2007/07/16 01:10:00");
    o.GTime = false;
    o.GUnit = 0;
    EXPECT_EQ(Line("C:\\d\\f.txt"), "<C:\\d\\f.txt>\t1,572,864");
    o.GUnit = 1;
    EXPECT_EQ(Line("C:\\d\\f.txt"), "<C:\\d\\f.txt>\t1,572,864byte");
}

TEST(SizeText, RoundsHalfToEvenInEveryUnit) {
    FakePlatform fs;
    EXPECT_EQ(SizeText(fs, 511, 2), "0KB");
    EXPECT_EQ(SizeText(fs, 512, 2), "0KB");
    EXPECT_EQ(SizeText(fs, 513, 2), "1KB");
    EXPECT_EQ(SizeText(fs, 1536, 2), "2KB");
    EXPECT_EQ(SizeText(fs, 2560, 2), "2KB");
    EXPECT_EQ(SizeText(fs, 1572864, 3), "2MB");
    EXPECT_EQ(SizeText(fs, 1572864, 4), "0GB");
    EXPECT_EQ(SizeText(fs, 0, 0), "0");
    EXPECT_EQ(SizeText(fs, 1234567, 0), "1,234,567");
    EXPECT_EQ(SizeText(fs, 1234567, 1), "1,234,567byte");
    // Beyond 2 GiB and 4 GiB nothing wraps.
    EXPECT_EQ(SizeText(fs, 3221225472ULL, 1), "3,221,225,472byte");
    EXPECT_EQ(SizeText(fs, 5000000000ULL, 2), "4,882,812KB");  // 4,882,812.5: to even
    EXPECT_EQ(SizeText(fs, 5000000000ULL, 4), "5GB");
    EXPECT_EQ(SizeText(fs, 2684354560ULL, 4), "2GB");  // 2.5 GiB: half goes to even
    EXPECT_EQ(SizeText(fs, 3758096384ULL, 4), "4GB");  // 3.5 GiB
    EXPECT_EQ(SizeText(fs, 1, 5), "");
    EXPECT_EQ(SizeText(fs, 1, -1), "");
}

TEST(WantedFor, AsksOnlyForWhatTheColumnsShow) {
    OptionSet o;
    EXPECT_FALSE(WantedFor(o).size || WantedFor(o).times || WantedFor(o).id);
    o.GTime = true;
    EXPECT_TRUE(WantedFor(o).times);
    o.GSize = true;
    o.GUnit = 4;
    EXPECT_TRUE(WantedFor(o).size);
    o.GUnit = 5;
    EXPECT_FALSE(WantedFor(o).size);
}
