#include "platform/FindFile.h"

#include <gtest/gtest.h>

#include "fake/FakePlatform.h"

using namespace kirramo;

TEST(CutAtNul, CutsAtTheFirstNulOnly) {
    EXPECT_EQ(CutAtNul(std::string_view("abc\0def", 7)), "abc");
    EXPECT_EQ(CutAtNul("abc"), "abc");
    EXPECT_EQ(CutAtNul(std::string_view("\0x", 2)), "");
    EXPECT_EQ(CutAtNul(""), "");
}

TEST(FindFile, HandsOutEveryEntryOnceThenEmptyTextForGood) {
    FakePlatform fs;
    fs.AddFolder("C:\\d\\.");   // a platform that lists "." and ".." like FindFirstFile
    fs.AddFolder("C:\\d\\..");
    fs.AddFile("C:\\d\\b.txt", 1, kNoTime, kAttrHidden | kAttrReadOnly | 0x800 /* compressed */);
    fs.AddFolder("C:\\d\\A");
    FindFile find(fs, {});
    EXPECT_FALSE(find.IsDir());  // nothing handed out yet
    find.FileMask("C:\\d");
    EXPECT_EQ(find.NextFile(), "A");
    EXPECT_TRUE(find.IsDir());
    EXPECT_EQ(find.NextFile(), "b.txt");
    EXPECT_FALSE(find.IsDir());
    EXPECT_EQ(find.Attr(), 3u);
    EXPECT_EQ(find.NextFile(), "");
    EXPECT_EQ(find.NextFile(), "");
    EXPECT_EQ(find.Current().name, "b.txt");  // still the last entry handed out
    EXPECT_EQ(fs.openDirsNow, 0);  // the listing closed as soon as it ran out

    find.FileMask("C:\\d");  // a used object starts afresh
    EXPECT_EQ(find.NextFile(), "A");
    find.FileMask("C:\\d\\A");  // and closes the earlier listing first
    EXPECT_EQ(fs.maxOpenDirs, 1);
    EXPECT_EQ(find.NextFile(), "");
}

TEST(FindFile, RootsMissingAndEmptyFoldersAndFiles) {
    FakePlatform fs;
    fs.AddFile("C:\\top.txt");
    fs.AddFolder("C:\\empty");
    FindFile find(fs, {});
    find.FileMask("C:");
    EXPECT_EQ(find.NextFile(), "empty");
    EXPECT_EQ(find.NextFile(), "top.txt");
    find.FileMask("C:\\empty");
    EXPECT_EQ(find.NextFile(), "");
    find.FileMask("C:\\missing");
    EXPECT_EQ(find.NextFile(), "");
    find.FileMask("C:\\top.txt");
    EXPECT_EQ(find.NextFile(), "");
}
