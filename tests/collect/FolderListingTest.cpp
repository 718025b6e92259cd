#include "collect/FolderListing.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "collect/LineFixture.h"

using namespace kirramo;
using V = std::vector<std::string>;

namespace {

struct ListingFixture : ::testing::Test, FakeLines {
    ListingFixture() {
        o.GLong = true;
        o.GFPattern = "*.*";
    }
    V Subfolders(const std::string& folder) {
        V lines;
        ListSubfolders(Context(), "", folder, lines);
        return lines;
    }
    V Files(const std::string& folder) {
        V lines;
        ListFolderFiles(Context(), "", folder, listed, lines);
        return lines;
    }
    static V Sorted(V v) {
        std::sort(v.begin(), v.end());
        return v;
    }
};

}  // namespace

TEST(CutAtNul, CutsAtTheFirstNulOnly) {
    EXPECT_EQ(CutAtNul(std::string_view("abc\0def", 7)), "abc");
    EXPECT_EQ(CutAtNul("abc"), "abc");
    EXPECT_EQ(CutAtNul(std::string_view("\0x", 2)), "");
    EXPECT_EQ(CutAtNul(""), "");
}

TEST(MatchPattern, WildcardsWithoutCaseAndSeveralPatterns) {
    EXPECT_TRUE(MatchPattern("*.txt", "readme.txt"));
    EXPECT_TRUE(MatchPattern("*.txt", "NOTES.TXT"));
    EXPECT_FALSE(MatchPattern("*.txt", "readme.doc"));
    EXPECT_FALSE(MatchPattern("*.htm", "page.html"));  // the long name only
    EXPECT_TRUE(MatchPattern("*.*", "README"));         // names without a dot too
    EXPECT_TRUE(MatchPattern("", "README"));
    EXPECT_TRUE(MatchPattern("*", "a.b"));
    EXPECT_TRUE(MatchPattern("*.txt; *.doc ;*.xls", "x.doc"));
    EXPECT_TRUE(MatchPattern("*.txt; *.doc ;*.xls", "x.XLS"));
    EXPECT_FALSE(MatchPattern("*.txt; *.doc ;*.xls", "x.ppt"));
    EXPECT_TRUE(MatchPattern("a?c.*", "abc.txt"));
    EXPECT_FALSE(MatchPattern("a?c.*", "ac.txt"));
    EXPECT_TRUE(MatchPattern("写?.jpg", "写真.jpg"));  // "?" is one character, not one byte
    EXPECT_FALSE(MatchPattern("写??.jpg", "写真.jpg"));
    EXPECT_TRUE(MatchPattern("*ｔｘｔ", "メモ.ＴＸＴ"));  // full-width letters fold too
    EXPECT_TRUE(MatchPattern("*a*b*c", "xxaybzzc"));
    EXPECT_FALSE(MatchPattern("*a*b*c", "xxaybzzcd"));
    // A pattern ending in "." asks for names without an extension.
    EXPECT_TRUE(MatchPattern("*.", "README"));
    EXPECT_FALSE(MatchPattern("*.", "a.txt"));
    EXPECT_TRUE(MatchPattern("make*.;*.txt", "Makefile"));
    EXPECT_FALSE(MatchPattern("make*.", "readme"));
}

TEST_F(ListingFixture, SubfoldersDepthFirstAtEveryDepthHiddenIncluded) {
    fs.AddFolder("C:\\top\\b\\b1\\b11");
    fs.AddFolder("C:\\top\\a");
    fs.AddFolder("C:\\top\\C", kNoTime, kAttrHidden);
    fs.AddFile("C:\\top\\a\\file.txt");
    fs.AddFolder("C:\\top\\b\\b2");
    EXPECT_EQ(Subfolders("C:\\top"), (V{"C:\\top\\a", "C:\\top\\b", "C:\\top\\b\\b1",
                                        "C:\\top\\b\\b1\\b11", "C:\\top\\b\\b2", "C:\\top\\C"}));
    EXPECT_EQ(fs.maxOpenDirs, 1);  // each listing is closed before the walk goes down
    EXPECT_TRUE(Subfolders("C:\\top\\a").empty());
    EXPECT_EQ(Subfolders("C:\\"), (V{"C:\\top", "C:\\top\\a", "C:\\top\\b", "C:\\top\\b\\b1",
                                     "C:\\top\\b\\b1\\b11", "C:\\top\\b\\b2", "C:\\top\\C"}));
}

TEST_F(ListingFixture, WalksUseTheEnumerationsDataAndAskOnlyForWhatIsShown) {
    FileTicks t = FakePlatform::Ticks(2020, 1, 1, 3);
    fs.AddFile("C:\\d\\a.txt", 2048, t);
    fs.AddFile("C:\\d\\s\\b.txt", 1024, t);
    o.GSub = true;
    EXPECT_EQ(Sorted(Files("C:\\d")), (V{"C:\\d\\a.txt", "C:\\d\\s\\b.txt"}));
    EXPECT_FALSE(fs.openDirWanted.back().size || fs.openDirWanted.back().times);
    listed.clear();
    o.GSize = true;
    o.GUnit = 2;
    o.GTime = true;
    fs.statCalls = 0;
    EXPECT_EQ(Sorted(Files("C:\\d")), (V{"C:\\d\\a.txt\t2020/01/01 12:00:00\t2KB",
                                         "C:\\d\\s\\b.txt\t2020/01/01 12:00:00\t1KB"}));
    EXPECT_TRUE(fs.openDirWanted.back().size && fs.openDirWanted.back().times);
    EXPECT_LE(fs.statCalls, 1);  // the selected folder at most, never an entry
}

TEST_F(ListingFixture, PatternFilesOfTheFolderAndWithSubfoldersOfEveryFolderBelow) {
    fs.AddFile("C:\\d\\readme.txt");
    fs.AddFile("C:\\d\\NOTES.TXT");
    fs.AddFile("C:\\d\\readme.doc");
    fs.AddFile("C:\\d\\page.html");
    fs.AddFile("C:\\d\\secret.txt", 0, kNoTime, kAttrHidden);
    fs.AddFile("C:\\d\\boot.txt", 0, kNoTime, kAttrSystem | kAttrArchive);
    fs.AddFile("C:\\d\\ro.txt", 0, kNoTime, kAttrReadOnly);
    fs.AddFile("C:\\d\\sub\\deep.txt");
    fs.AddFile("C:\\d\\.hid\\inside.txt");
    fs.Find("C:\\d\\.hid")->attributes |= kAttrHidden;
    o.GFPattern = "*.txt;*.htm";
    EXPECT_EQ(Sorted(Files("C:\\d")), (V{"C:\\d\\NOTES.TXT", "C:\\d\\readme.txt", "C:\\d\\ro.txt"}));
    listed.clear();
    o.GSub = true;
    EXPECT_EQ(Sorted(Files("C:\\d")),
              (V{"C:\\d\\.hid\\inside.txt", "C:\\d\\NOTES.TXT", "C:\\d\\readme.txt", "C:\\d\\ro.txt",
                 "C:\\d\\sub\\deep.txt"}));
    // Every folder is listed once per run: again, or through a selected subfolder.
    EXPECT_TRUE(Files("C:\\d").empty());
    EXPECT_TRUE(Files("C:\\d\\sub").empty());
}

TEST_F(ListingFixture, DriveRootsAndEmptyOrMissingFolders) {
    fs.AddFile("C:\\boot.ini");
    fs.AddFolder("C:\\empty");
    EXPECT_EQ(Files("C:\\"), V{"C:\\boot.ini"});
    EXPECT_TRUE(Files("C:\\empty").empty());
    EXPECT_TRUE(Files("C:\\missing").empty());
    EXPECT_TRUE(fs.messages.empty());
}

// A link to a folder (a symbolic link, a junction) may lead anywhere, "/" or an ancestor
// included: it is listed as a folder, but never entered.
TEST_F(ListingFixture, LinksAreListedButNeverEntered) {
    fs.AddFile("C:\\top\\sub\\f.txt");
    fs.AddLink("C:\\top\\sub\\loop", "C:\\top");
    fs.AddLink("C:\\top\\other", "C:\\elsewhere");
    fs.AddFile("C:\\elsewhere\\e.txt");
    EXPECT_EQ(Subfolders("C:\\top"), (V{"C:\\top\\other", "C:\\top\\sub", "C:\\top\\sub\\loop"}));
    o.GSub = true;
    EXPECT_EQ(Sorted(Files("C:\\top")), (V{"C:\\top\\sub\\f.txt"}));
    // A selected link is the user's own choice: it is entered.
    listed.clear();
    EXPECT_EQ(Sorted(Files("C:\\top\\other")), (V{"C:\\top\\other\\e.txt"}));
}

TEST_F(ListingFixture, DeepTreesAndLongPaths) {
    std::string path = "C:\\root";
    for (int i = 0; i < 300; ++i) path += "\\level" + std::to_string(i);
    fs.AddFile(path + "\\leaf.txt");
    o.GSub = true;
    EXPECT_EQ(Files("C:\\root"), V{path + "\\leaf.txt"});
    EXPECT_EQ(Subfolders("C:\\root").size(), 300u);
    EXPECT_EQ(fs.maxOpenDirs, 1);
}
