#include "platform/posix/TreeRenderer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "collect/TreeListing.h"
#include "posix/TempFolder.h"

using kirramo::posix::RenderTree;
using V = std::vector<std::string>;

namespace {

const std::string kHead1 = "フォルダー パスの一覧";
const std::string kHead2 = "ボリューム シリアル番号は 0000-0000 です";

// A temporary folder with helpers that make folders and files below it.
class TempDir {
    kirramo::posix::testing::TempFolder folder_;  // made before `path` refers to it

public:
    const std::string& path = folder_.Path();
    void Folder(const std::string& rel) const { mkdir((folder_ / rel).c_str(), 0755); }
    void File(const std::string& rel) const { kirramo::posix::testing::WriteFile(folder_ / rel, "x"); }
    void Link(const std::string& target, const std::string& rel) const {
        ASSERT_EQ(symlink(target.c_str(), (folder_ / rel).c_str()), 0);
    }
};

V With(const std::string& root, std::initializer_list<std::string> body) {
    V out{kHead1, kHead2, root};
    out.insert(out.end(), body);
    return out;
}

// a/c, a/f.txt, B/x.txt, 写真/家族.jpg, .dot, "z file.txt"
void MakeSample(const TempDir& t) {
    t.Folder("a");
    t.Folder("a/c");
    t.File("a/f.txt");
    t.Folder("B");
    t.File("B/x.txt");
    t.Folder("写真");
    t.File("写真/家族.jpg");
    t.File(".dot");
    t.File("z file.txt");
}

}  // namespace

TEST(RenderTree, LayoutOfASmallTreeWithAndWithoutFiles) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    MakeSample(t);
    EXPECT_EQ(RenderTree(t.path, false), With(t.path, {
        "├─a",
        "│  └─c",
        "├─B",
        "└─写真",
    }));
    // With files: each file block comes first, is indented by "│  " when subfolders
    // follow or four blanks when not, and ends with a line of only that indent.
    EXPECT_EQ(RenderTree(t.path, true), With(t.path, {
        "│  .dot",
        "│  z file.txt",
        "│  ",
        "├─a",
        "│  │  f.txt",
        "│  │  ",
        "│  └─c",
        "├─B",
        "│      x.txt",
        "│      ",
        "└─写真",
        "        家族.jpg",
        "        ",
    }));
}

TEST(RenderTree, FolderWithoutSubfoldersGetsTheMarker) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    EXPECT_EQ(RenderTree(t.path, false), With(t.path, {"サブフォルダーは存在しません。"}));
    EXPECT_EQ(RenderTree(t.path, true), With(t.path, {"サブフォルダーは存在しません。"}));
    t.File("b.txt");
    t.File("A.txt");
    EXPECT_EQ(RenderTree(t.path, false), With(t.path, {"サブフォルダーは存在しません。"}));
    EXPECT_EQ(RenderTree(t.path, true),
              With(t.path, {"    A.txt", "    b.txt", "    ", "サブフォルダーは存在しません。"}));
}

TEST(RenderTree, MissingFolderOrFileGetsTheInvalidPathMarker) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    t.File("plain.txt");
    const std::string missing = t.path + "/nope";
    const std::string file = t.path + "/plain.txt";
    EXPECT_EQ(RenderTree(missing, true), With(missing, {"無効なパスです。"}));
    EXPECT_EQ(RenderTree(file, false), With(file, {"無効なパスです。"}));
}

TEST(RenderTree, LinksAreListedButNeverFollowed) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    t.Folder("d");
    t.Folder("d/e");
    t.File("f.txt");
    t.Link(t.path, "d/up");  // leads back to the top
    t.Link(t.path + "/f.txt", "d/g");
    t.Link(t.path + "/gone", "d/h");
    EXPECT_EQ(RenderTree(t.path, false), With(t.path, {"└─d", "    ├─e", "    └─up"}));
    EXPECT_EQ(RenderTree(t.path, true), With(t.path, {
        "│  f.txt", "│  ", "└─d", "    │  g", "    │  h", "    │  ", "    ├─e", "    └─up",
    }));
}

TEST(RenderTree, UnreadableSubfolderIsListedButNotEntered) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    t.Folder("locked");
    t.Folder("locked/inner");
    t.Folder("open");
    t.Folder("open/inner");
    chmod((t.path + "/locked").c_str(), 0);
    V out = RenderTree(t.path, false);
    chmod((t.path + "/locked").c_str(), 0700);
    EXPECT_EQ(out, With(t.path, {"├─locked", "└─open", "    └─inner"}));
}

// A stopped listing ends before the next subfolder: what it gives is the whole
// listing's beginning, up to the folder at which it was stopped.
TEST(RenderTree, StoppedListingEndsBeforeTheNextFolder) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    MakeSample(t);
    const V whole = RenderTree(t.path, true);
    std::vector<size_t> folderLines;  // where each subfolder's line is in the whole listing
    for (size_t i = 3; i < whole.size(); ++i)
        if (whole[i].find("├─") != std::string::npos || whole[i].find("└─") != std::string::npos)
            folderLines.push_back(i);
    ASSERT_EQ(folderLines.size(), 4u);
    for (size_t go = 0; go <= folderLines.size(); ++go) {
        size_t asked = 0;
        const V cut = RenderTree(t.path, true, [&](size_t listed) {
            // Each subfolder is announced with the lines listed before its own line.
            if (asked < folderLines.size()) EXPECT_EQ(listed, folderLines[asked]) << go;
            return ++asked > go;
        });
        const size_t end = go < folderLines.size() ? folderLines[go] : whole.size();
        EXPECT_EQ(cut, V(whole.begin(), whole.begin() + static_cast<long>(end))) << go;
        EXPECT_EQ(asked, std::min(go + 1, folderLines.size())) << go;
    }
}

TEST(RenderTree, OutputIsReadByTheTreeListingReader) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    V lines{""};
    EXPECT_TRUE(kirramo::ReadTreeOutput(RenderTree(t.path, true), lines));
    EXPECT_EQ(lines, (V{t.path, ""}));

    MakeSample(t);
    V out = RenderTree(t.path, true);
    lines = {""};
    EXPECT_TRUE(kirramo::ReadTreeOutput(out, lines));
    V expected(out.begin() + 2, out.end());
    expected.emplace_back();
    EXPECT_EQ(lines, expected);

    V before = lines;
    EXPECT_FALSE(kirramo::ReadTreeOutput(RenderTree(t.path + "/nope", false), lines));
    EXPECT_EQ(lines, before);
}

namespace {

int OpenIn(int at, const char* name) { return openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

// The folder `depth` levels down a chain of folders named `name` below `top`, reached
// one open folder at a time (the whole path is longer than one system call takes);
// with `make`, the missing folders of the chain are made on the way. -1 on failure.
int ChainFolder(const std::string& top, const char* name, int depth, bool make) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        if (make) mkdirat(fd, name, 0755);
        int next = OpenIn(fd, name);
        close(fd);
        fd = next;
    }
    return fd;
}

// Removes such a chain (and what lies at its bottom) from the bottom up, one open
// folder at a time, whatever the open-file limit of the machine.
void RemoveChain(const std::string& top, const char* name, int depth) {
    int fd = ChainFolder(top, name, depth, false);
    for (; fd >= 0 && depth > 0; --depth) {
        int up = OpenIn(fd, "..");
        close(fd);
        fd = up;
        if (fd >= 0) kirramo::posix::testing::RemoveAt(fd, name);
    }
    if (fd >= 0) close(fd);
}

}  // namespace

// A folder stays open only for the first levels: a tree far deeper than the open-file
// limit is listed whole, subfolders at the bottom included, with every folder and file.
TEST(RenderTree, TreeDeeperThanTheOpenFileLimitIsListedWhole) {
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    // Five times the limit set below, and a path far longer than a path may be.
    constexpr int kDepth = 320;
    const char* kName = "深いフォルダ";
    int bottom = ChainFolder(t.path, kName, kDepth, true);
    ASSERT_GE(bottom, 0);
    ASSERT_EQ(mkdirat(bottom, "x", 0755), 0);
    ASSERT_EQ(mkdirat(bottom, "x/y", 0755), 0);
    ASSERT_EQ(mkdirat(bottom, "z", 0755), 0);
    int file = openat(bottom, "end.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0);
    close(file);
    close(bottom);

    struct rlimit before;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    struct rlimit low = before;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    V folders = RenderTree(t.path, false);
    V files = RenderTree(t.path, true);
    // Stopped far below the open levels; the folders on the way are closed again.
    int asked = 0;
    V cut = RenderTree(t.path, false, [&asked](size_t) { return ++asked > 200; });
    V again = RenderTree(t.path, false);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
    RemoveChain(t.path, kName, kDepth);

    V chain{kHead1, kHead2, t.path};
    std::string prefix;
    for (int i = 0; i < kDepth; ++i, prefix += "    ") chain.push_back(prefix + "└─" + kName);
    V expected = chain;
    for (const char* line : {"├─x", "│  └─y", "└─z"}) expected.push_back(prefix + line);
    EXPECT_EQ(folders.size(), expected.size());
    EXPECT_EQ(folders, expected);
    EXPECT_EQ(cut, V(expected.begin(), expected.begin() + 3 + 200));
    EXPECT_EQ(again, expected);
    expected = chain;
    for (const char* line : {"│  end.txt", "│  ", "├─x", "│  └─y", "└─z"})
        expected.push_back(prefix + line);
    EXPECT_EQ(files, expected);
}
