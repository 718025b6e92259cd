#include "collect/TreeListing.h"

#include <gtest/gtest.h>

using kirramo::ReadTreeOutput;
using V = std::vector<std::string>;

namespace {

const std::string kHead1 = "フォルダー パスの一覧";
const std::string kHead2 = "ボリューム シリアル番号は 1234-ABCD です";

V Output(std::initializer_list<std::string> body) {
    V out{kHead1, kHead2};
    out.insert(out.end(), body);
    return out;
}

}  // namespace

TEST(ReadTreeOutput, ListingReplacesThePlaceholderAndEndsWithAnEmptyElement) {
    V lines{""};
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\A", "├─x", "│  └─y", "└─z"}), lines));
    EXPECT_EQ(lines, (V{"C:\\A", "├─x", "│  └─y", "└─z", ""}));
    // Without any placeholder the listing is simply appended.
    V none;
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\A", "└─z"}), none));
    EXPECT_EQ(none, (V{"C:\\A", "└─z", ""}));
}

TEST(ReadTreeOutput, NoSubfoldersMarkerEndsTheListingInAnySpelling) {
    for (const char* marker : {"サブフォルダーは存在しません。", "サブフォルダは存在しません。",
                               "No subfolders exist", "no SUBFOLDERS exist "}) {
        V lines{""};
        EXPECT_TRUE(ReadTreeOutput(Output({"C:\\EMPTY", marker, "after"}), lines)) << marker;
        EXPECT_EQ(lines, (V{"C:\\EMPTY", ""})) << marker;
    }
    // With files: the marker after the file lines ends the listing there.
    V lines{""};
    EXPECT_TRUE(ReadTreeOutput(
        Output({"C:\\F", "    a.txt", "    ", "サブフォルダーは存在しません。", "", "x"}), lines));
    EXPECT_EQ(lines, (V{"C:\\F", "    a.txt", "    ", ""}));
}

TEST(ReadTreeOutput, InvalidPathOrShortOutputAddsNothing) {
    const V before{"", "keep"};
    for (const V& out : {Output({"C:\\NO", "無効なパスです。"}), Output({"C:\\NO", "Invalid Path - C:\\NO"}),
                         Output({"C:\\A"}), V{kHead1, kHead2}, V{}}) {
        V lines = before;
        EXPECT_FALSE(ReadTreeOutput(out, lines));
        EXPECT_EQ(lines, before);
    }
}

TEST(ReadTreeOutput, SecondListingFollowsTheFirstWithoutAGap) {
    V lines{""};
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\A", "└─a1"}), lines));
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\B", "サブフォルダは存在しません"}), lines));
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\C", "├─c1", "└─c2"}), lines));
    EXPECT_EQ(lines, (V{"C:\\A", "└─a1", "C:\\B", "C:\\C", "├─c1", "└─c2", ""}));
}

TEST(ReadTreeOutput, ItemLineBeforeAListingKeepsItsPlace) {
    V lines{"", "C:\\file.txt"};
    EXPECT_TRUE(ReadTreeOutput(Output({"C:\\A", "└─a1"}), lines));
    EXPECT_EQ(lines, (V{"", "C:\\file.txt", "C:\\A", "└─a1", ""}));
}

TEST(ReadTreeOutput, EntriesNamedLikeMarkersAreListed) {
    const V body{"C:\\T", "├─Invalid Path", "│   No Subfolders Exist.txt", "│   無効なパスです。", "└─サブフォルダーは存在しません。",
                 "    No subfolders exist"};
    V out{kHead1, kHead2};
    out.insert(out.end(), body.begin(), body.end());
    V lines{""};
    EXPECT_TRUE(ReadTreeOutput(out, lines));
    V expected = body;
    expected.emplace_back();
    EXPECT_EQ(lines, expected);
}
