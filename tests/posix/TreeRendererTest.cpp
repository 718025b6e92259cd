#include "platform/posix/TreeRenderer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "collect/TreeListing.h"

using kirramo::posix::RenderTree;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string kHead1 = "フォルダー パスの一覧";
const std::string kHead2 = "ボリューム シリアル番号は 0000-0000 です";

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "kirramo-tree-XXXXXX").string();
        if (mkdtemp(tmpl.data())) path = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    void Folder(const std::string& rel) const { fs::create_directories(path + "/" + rel); }
    void File(const std::string& rel) const { std::ofstream(path + "/" + rel) << "x"; }
    std::string path;
};

V With(const std::string& root, std::initializer_list<std::string> body) {
    V out{kHead1, kHead2, root};
    out.insert(out.end(), body);
    return out;
}

// a/c, a/f.txt, B/x.txt, 写真/家族.jpg, .dot, "z file.txt"
void MakeSample(const TempDir& t) {
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
    t.Folder("d/e");
    t.File("f.txt");
    fs::create_directory_symlink(t.path, t.path + "/d/up");  // leads back to the top
    fs::create_symlink(t.path + "/f.txt", t.path + "/d/g");
    fs::create_symlink(t.path + "/gone", t.path + "/d/h");
    EXPECT_EQ(RenderTree(t.path, false), With(t.path, {"└─d", "    ├─e", "    └─up"}));
    EXPECT_EQ(RenderTree(t.path, true), With(t.path, {
        "│  f.txt", "│  ", "└─d", "    │  g", "    │  h", "    │  ", "    ├─e", "    └─up",
    }));
}

TEST(RenderTree, UnreadableSubfolderIsListedButNotEntered) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir t;
    ASSERT_FALSE(t.path.empty());
    t.Folder("locked/inner");
    t.Folder("open/inner");
    chmod((t.path + "/locked").c_str(), 0);
    V out = RenderTree(t.path, false);
    chmod((t.path + "/locked").c_str(), 0700);
    EXPECT_EQ(out, With(t.path, {"├─locked", "└─open", "    └─inner"}));
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
