#include "collect/CollectPaths.h"

#include <gtest/gtest.h>

#include "collect/TreeListing.h"
#include "collect/LineFixture.h"

using namespace kirramo;
using V = std::vector<std::string>;

namespace {

const std::string kBusyMessage =
    "クリップボードに書き込めませんでした。他のプログラムがクリップボードを使用中の可能性があります。";

struct RunFixture : ::testing::Test, FakeLines {
    RunFixture() { o = OptionSet::Designed(); }

    // Runs once with the given command line and gives the clipboard's text.
    std::string Run(const std::string& commandLine) {
        fs.commandLine = commandLine;
        EXPECT_TRUE(CollectPaths(o, fs));
        EXPECT_EQ(fs.clipboardSizeMismatches, 0);
        return fs.clipboard.value_or("<never set>");
    }
    // The output stage alone, for lines as the collection left them.
    std::string Build(V lines, ItemMode lastMode = kModeItem) {
        OutputSorter sorter(fs, fs.Separator());
        EXPECT_TRUE(PlaceLines(o, fs, lines, lastMode, sorter));
        EXPECT_EQ(fs.clipboardSizeMismatches, 0);
        return fs.clipboard.value_or("<never set>");
    }
};

EntryInfo Entry(uint32_t attributes) {
    EntryInfo e;
    e.attributes = attributes;
    return e;
}

}  // namespace

TEST(ClassifyPath, FolderOptionsInTheirOrderFilesAlwaysItems) {
    OptionSet o;
    const EntryInfo file = Entry(kAttrArchive), folder = Entry(kAttrDirectory | kAttrHidden);
    EXPECT_EQ(ClassifyPath(o, folder), kModeItem);
    o.GFolder = true;
    EXPECT_EQ(ClassifyPath(o, folder), kModeFolderFiles);
    o.GDir = true;
    EXPECT_EQ(ClassifyPath(o, folder), kModeSubfolders);
    o.GTreeF = true;
    EXPECT_EQ(ClassifyPath(o, folder), kModeTreeFiles);
    o.GTreeP = true;
    EXPECT_EQ(ClassifyPath(o, folder), kModeTreeFolders);
    EXPECT_EQ(ClassifyPath(o, file), kModeItem);
}

TEST(MissingPathMessage, SentencesThenThePathsFromTheSecondSentencesEnd) {
    EXPECT_EQ(MissingPathMessage({"C:\\a.txt", "C:\\gone", "C:\\c.txt"}),
              "\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。C:\\a.txt\r\nC:\\gone\r\nC:\\c.txt");
}

TEST(MissingPathMessage, ShowsTwentyPathsAndCountsTheRest) {
    const std::string head = "\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。";
    V paths;
    std::string twenty;
    for (int i = 1; i <= 200; ++i) {
        paths.push_back("C:\\f" + std::to_string(i));
        if (i <= 20) twenty += (i > 1 ? "\r\n" : "") + paths.back();
    }
    const struct {
        size_t count;
        std::string expected;
    } cases[] = {
        {20, head + twenty},
        {21, head + twenty + "\r\nほか 1 件"},
        {200, head + twenty + "\r\nほか 180 件"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MissingPathMessage(V(paths.begin(), paths.begin() + static_cast<long>(c.count))), c.expected)
            << c.count;
}

TEST_F(RunFixture, OutputSortsJoinsAndEndsLinesByCount) {
    EXPECT_EQ(Build({"", "b", "A", "a"}), "A\r\na\r\nb\r\n");  // case-blind, equal lines kept
    EXPECT_EQ(Build({"", "one"}), "one");
    EXPECT_EQ(Build({""}), "");
    EXPECT_EQ(Build({"", "", "x"}), "\r\nx\r\n");  // an empty item line stays a line
    o.G1Frtn = true;
    EXPECT_EQ(Build({"", "one"}), "one\r\n");
    EXPECT_EQ(Build({""}), "\r\n");
    o.G1Frtn = false;
    // A tree form last: nothing is sorted, the listing's empty last line ends the text.
    EXPECT_EQ(Build({"C:\\Z", "├─b", "└─a", ""}, kModeTreeFiles), "C:\\Z\r\n├─b\r\n└─a\r\n\r\n");
    EXPECT_EQ(Build({"C:\\Z", "├─b", "└─a", ""}, kModeItem), "C:\\Z\r\n└─a\r\n├─b\r\n");
}

TEST_F(RunFixture, OutputConversionsInTheirOrderOverTheWholeText) {
    o.GUpper = true;
    EXPECT_EQ(Build({"", "c:\\my docs\\a.txt>\t2024/01/01 05:30:00\t1,234byte"}),
              "C:\\MY DOCS\\A.TXT>\t2024/01/01 05:30:00\t1,234BYTE");
    o.GUpper = false;
    o.GRepYen = true;
    o.GRepSP = true;
    EXPECT_EQ(Build({"", "C:\\My Documents\\a.txt", "C:\\b c"}),
              "C:/b%20c\r\nC:/My%20Documents/a.txt\r\n");
}

TEST_F(RunFixture, FilesAndFoldersEndToEnd) {
    fs.AddFile("C:\\dir\\b.txt", 1536);
    fs.AddFile("C:\\dir\\A.txt", 10);
    fs.AddFile("C:\\My Documents\\x y.txt");
    fs.AddFile("C:\\list\\one.txt");
    fs.AddFile("C:\\list\\two.log");
    EXPECT_EQ(Run("C:\\dir\\b.txt C:\\dir\\A.txt"), "C:\\dir\\A.txt\r\nC:\\dir\\b.txt\r\n");
    EXPECT_EQ(Run("C:\\dir\\b.txt"), "C:\\dir\\b.txt");
    EXPECT_EQ(Run("\"C:\\My Documents\\x y.txt\""), "C:\\My Documents\\x y.txt");
    o.GFolder = true;
    o.GFPattern = "*.txt";
    o.GSize = true;
    o.GUnit = 2;
    EXPECT_EQ(Run("C:\\list C:\\dir\\b.txt"), "C:\\dir\\b.txt\t2KB\r\nC:\\list\\one.txt\t0KB\r\n");
    EXPECT_TRUE(fs.messages.empty());
    // The clipboard is emptied only as the text is placed, never ahead of it.
    EXPECT_EQ(fs.clipboardEmptyCalls, 0);
    EXPECT_EQ(fs.waitCursorCalls, (std::vector<bool>{true, false, true, false, true, false, true, false}));
}

TEST_F(RunFixture, EmptyCommandLinesAndEmptyPaths) {
    fs.AddFile("C:\\a.txt");
    fs.AddFile("C:\\b.txt");
    EXPECT_EQ(Run(""), "");
    fs.commandLine.reset();  // no raw text: the argument list is used
    fs.argumentList = {"C:\\b.txt", "", "C:\\a.txt"};
    EXPECT_TRUE(CollectPaths(o, fs));
    EXPECT_EQ(fs.clipboard, "C:\\a.txt\r\nC:\\b.txt\r\n");
    EXPECT_EQ(Run("C:\\a.txt  C:\\b.txt"), "C:\\a.txt\r\nC:\\b.txt\r\n");  // two blanks
    EXPECT_TRUE(fs.messages.empty());
    o.G1Frtn = true;
    EXPECT_EQ(Run(""), "\r\n");
}

TEST_F(RunFixture, MissingPathStopsThePathsButKeepsEarlierLines) {
    fs.AddFile("C:\\a.txt");
    fs.AddFile("C:\\c.txt");
    EXPECT_EQ(Run("C:\\a.txt C:\\gone.txt C:\\c.txt"), "C:\\a.txt");
    EXPECT_EQ(fs.messages, V{MissingPathMessage({"C:\\a.txt", "C:\\gone.txt", "C:\\c.txt"})});
    EXPECT_FALSE(fs.waitCursorOn);
    // The run says so, although the earlier lines were placed.
    EXPECT_EQ(RunCollectPaths(o, fs), kRunPathMissing);
    EXPECT_EQ(fs.clipboard, "C:\\a.txt");
}

TEST_F(RunFixture, AFailingStepIsAbandonedAndTheRunGoesOn) {
    fs.AddFile("C:\\a\\x.txt");
    fs.AddFile("C:\\a\\y.txt");
    o.GBackword = true;
    // "C:" has no parent: its base stays that of the path before it, and its line cannot
    // be cut from that base, so its line stays empty; the next path is handled as usual.
    EXPECT_EQ(Run("C:\\a\\x.txt C: C:\\a\\y.txt"), "\r\nx.txt\r\ny.txt\r\n");
    EXPECT_TRUE(fs.messages.empty());
}

TEST_F(RunFixture, BusyClipboardIsRetriedThenReported) {
    fs.AddFile("C:\\a.txt");
    fs.clipboardBusyFor = 3;
    EXPECT_EQ(Run("C:\\a.txt"), "C:\\a.txt");
    EXPECT_EQ(fs.clipboardSetAttempts, 4);
    EXPECT_EQ(fs.sleeps.size(), 3u);
    EXPECT_TRUE(fs.messages.empty());

    fs.clipboardBusyFor = 1000;
    fs.commandLine = "C:\\a.txt";
    EXPECT_FALSE(CollectPaths(o, fs));
    EXPECT_EQ(fs.messages, V{kBusyMessage});
    int waited = 0;
    for (int ms : fs.sleeps) waited += ms;
    EXPECT_GE(waited, 900);  // about a second of retries
    EXPECT_LE(waited, 2000);
    EXPECT_FALSE(fs.waitCursorOn);
    EXPECT_EQ(RunCollectPaths(o, fs), kRunNotPlaced);
}

TEST_F(RunFixture, APlaceThatFailedForGoodIsNotTriedAgainAndItsCauseIsShown) {
    fs.AddFile("C:\\a.txt");
    fs.AddFile("C:\\b c.txt");
    fs.clipboardFailure = "標準出力に書き出せませんでした（No space left on device）。";
    fs.commandLine = "C:\\a.txt";
    EXPECT_EQ(RunCollectPaths(o, fs), kRunNotPlaced);
    // Rewritten as one text, too.
    o.GRepSP = true;
    fs.commandLine = "\"C:\\b c.txt\"";
    EXPECT_FALSE(CollectPaths(o, fs));
    EXPECT_EQ(fs.clipboardSetAttempts, 2);
    EXPECT_TRUE(fs.sleeps.empty());
    EXPECT_EQ(fs.messages, V(2, *fs.clipboardFailure));
    // A missing path before it: the text could not be placed, which says more.
    fs.messages.clear();
    fs.commandLine = "C:\\a.txt C:\\gone.txt";
    EXPECT_EQ(RunCollectPaths(o, fs), kRunNotPlaced);
    EXPECT_EQ(fs.messages, (V{MissingPathMessage({"C:\\a.txt", "C:\\gone.txt"}), *fs.clipboardFailure}));
}

TEST_F(RunFixture, ManyLinesHaveNoLimit) {
    for (int i = 0; i < 40000; ++i) fs.AddFile("C:\\big\\f" + std::to_string(100000 + i) + ".txt");
    o.GFolder = true;
    o.GName = true;
    std::string text = Run("C:\\big");
    EXPECT_EQ(text.size(), 40000u * (11 + 2));
    EXPECT_TRUE(text.starts_with("f100000.txt\r\nf100001.txt\r\n"));
    EXPECT_TRUE(text.ends_with("f139999.txt\r\n"));
}

TEST_F(RunFixture, TreeFormsGoToTheTreeCommand) {
    fs.AddFolder("Z:\\proj");
    fs.driveConnections["Z:"] = "\\\\srv\\share";
    o.GTreeF = true;
    Run("Z:\\proj");
    o.GTreeP = true;
    o.GUnc = true;
    Run("Z:\\proj");
    // The network form first; where it cannot be listed, the local folder.
    EXPECT_EQ(fs.treeCalls, (std::vector<std::pair<std::string, bool>>{
                                {"Z:\\proj", true}, {"\\\\srv\\share\\proj", false}, {"Z:\\proj", false}}));

    // A command that could not run adds nothing.
    V lines{"", "kept"};
    EXPECT_FALSE(RunTree(Context(), fs, "Z:\\proj", lines, true));
    EXPECT_EQ(lines, (V{"", "kept"}));

    // The command is told when the run is cancelled, so that a long listing stops.
    RunProgress progress;
    ItemContext context = Context();
    context.progress = &progress;
    fs.treeStopAnswers.clear();
    RunTree(context, fs, "Z:\\proj", lines, true);
    progress.Cancel();
    RunTree(context, fs, "Z:\\proj", lines, true);
    // Each asks twice: the network form, then the local folder.
    EXPECT_EQ(fs.treeStopAnswers, (std::vector<bool>{false, false, true, true}));
}

// The rules for roots, mounts and the part below the selection, on a "/" file system.
TEST(SlashStyleRun, RootsMountsAndThePartBelowTheSelection) {
    struct Case {
        const char* what;
        void (*set)(OptionSet&);
        V args;
        std::string expected;
    };
    const Case cases[] = {
        {"long paths as given", [](OptionSet&) {}, {"/home/a/x.txt", "/top.txt"}, "/home/a/x.txt\r\n/top.txt\r\n"},
        {"subfolders of the root join with one separator", [](OptionSet& o) { o.GDir = true; }, {"/"},
         "/home\r\n/home/a\r\n/mnt\r\n/mnt/share\r\n/mnt/share/doc\r\n/mnt/shared\r\n"},
        {"pattern files of the root", [](OptionSet& o) { o.GFolder = true; o.GFPattern = "*.txt"; }, {"/"}, "/top.txt"},
        {"the part below a folder", [](OptionSet& o) { o.GBackword = true; }, {"/home/a/x.txt", "/top.txt"},
         "top.txt\r\nx.txt\r\n"},
        {"the part below the root", [](OptionSet& o) { o.GBackword = true; o.GDir = true; }, {"/home"},
         "home/a"},
        {"a network mount", [](OptionSet& o) { o.GUnc = true; }, {"/mnt/share/doc/r.txt", "/mnt/shared/s.txt"},
         "//srv/share/doc/r.txt\r\n/mnt/shared/s.txt\r\n"},
        {"the part below a folder on a network mount", [](OptionSet& o) { o.GUnc = true; o.GBackword = true; },
         {"/mnt/share/doc/r.txt"}, "r.txt"},
        {"the part below a selected mount point", [](OptionSet& o) { o.GUnc = true; o.GBackword = true; },
         {"/mnt/share"}, "share"},
        {"files below a selected mount point",
         [](OptionSet& o) { o.GUnc = true; o.GBackword = true; o.GFolder = true; o.GSub = true; },
         {"/mnt/share"}, "share/doc/r.txt"},
        {"a tree of a network mount lists the local folder and shows the network form",
         [](OptionSet& o) { o.GUnc = true; o.GTreeF = true; }, {"/mnt/share"},
         "//srv/share\r\n└─doc\r\n\r\n"},
        {"names keep their case", [](OptionSet&) {}, {"/HOME/a/x.txt"}, "<missing>"},
    };
    for (const Case& c : cases) {
        FakePlatform fs(FakePlatform::Style::Slash);
        fs.AddFile("/home/a/x.txt");
        fs.AddFile("/top.txt");
        fs.AddFile("/mnt/share/doc/r.txt");
        fs.AddFile("/mnt/shared/s.txt");
        fs.driveConnections["/mnt/share"] = "//srv/share";
        fs.driveConnections["/mnt/shared"] = "";
        fs.treeOutputs["/mnt/share"] = V{"h1", "h2", "/mnt/share", "└─doc"};
        fs.argumentList = c.args;
        OptionSet o = OptionSet::Designed();
        c.set(o);
        CollectPaths(o, fs);
        EXPECT_EQ(fs.messages.empty() ? fs.clipboard.value_or("<none>") : "<missing>", c.expected) << c.what;
    }
}
