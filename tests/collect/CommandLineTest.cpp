#include "collect/CommandLine.h"

#include <gtest/gtest.h>

using kirramo::SplitCommandLine;
using V = std::vector<std::string>;

TEST(SplitCommandLine, PlainFormSplitsAtEverySpaceAndKeepsEmptyPieces) {
    EXPECT_EQ(SplitCommandLine(R"(C:\a.txt C:\b.txt)"), (V{R"(C:\a.txt)", R"(C:\b.txt)"}));
    EXPECT_EQ(SplitCommandLine(R"(C:\a.txt  C:\b.txt)"), (V{R"(C:\a.txt)", "", R"(C:\b.txt)"}));
    EXPECT_EQ(SplitCommandLine(" a "), (V{"", "a", ""}));
    EXPECT_EQ(SplitCommandLine(""), V{});
    EXPECT_EQ(SplitCommandLine("a\tb"), V{"a\tb"});  // a tab is no separator
}

TEST(SplitCommandLine, QuotedPathsStayWholeAndEmptyPiecesAreDropped) {
    EXPECT_EQ(SplitCommandLine(R"("C:\My Documents\a.txt" C:\b.txt)"),
              (V{R"(C:\My Documents\a.txt)", R"(C:\b.txt)"}));
    EXPECT_EQ(SplitCommandLine(R"(C:\a.txt  C:\b.txt "C:\c d")"),
              (V{R"(C:\a.txt)", R"(C:\b.txt)", R"(C:\c d)"}));
    EXPECT_EQ(SplitCommandLine("\"  C:\\a b  \""), V{"C:\\a b"});
    EXPECT_EQ(SplitCommandLine("\"\""), V{});
    EXPECT_EQ(SplitCommandLine("\" \" \""), V{});
}

TEST(SplitCommandLine, OpeningQuoteKeepsEarlierCharactersAndOpenQuoteEndsAtTheEnd) {
    EXPECT_EQ(SplitCommandLine("x\"y z\"w"), (V{"xy z", "w"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\a b"), V{"C:\\a b"});
    EXPECT_EQ(SplitCommandLine("\"a\tb\" c"), (V{"a\tb", "c"}));
}

TEST(SplitCommandLine, JapaneseAndLongTextsAreNotLimited) {
    std::string longPath = "C:\\" + std::string(40000, 'x');
    EXPECT_EQ(SplitCommandLine("\"C:\\写真 2024\\家族.jpg\" " + longPath),
              (V{"C:\\写真 2024\\家族.jpg", longPath}));
}
