// Collation keys, upper case and settings text decoding of the Linux backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/PosixText.h"
#include "posix/EnvVar.h"

namespace kirramo::posix {
namespace {

using testing::EnvVar;

std::vector<std::string> SortedBy(Platform& p, const std::vector<std::string>& lines) {
    auto keys = p.SortKeys(lines);
    EXPECT_EQ(keys.size(), lines.size());
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> out;
    for (size_t i : order) out.push_back(lines[i]);
    return out;
}

TEST(PosixCollation, LocaleFromTheEnvironment) {
    EXPECT_EQ(CollationLocale("ja_JP.UTF-8", "de_DE.UTF-8", nullptr), "ja_JP");
    EXPECT_EQ(CollationLocale("", "de_DE@euro", "en_US"), "de_DE");
    EXPECT_EQ(CollationLocale(nullptr, nullptr, "ja_JP.eucJP"), "ja_JP");
    EXPECT_EQ(CollationLocale("C", "ja_JP.UTF-8", nullptr), "");
    EXPECT_EQ(CollationLocale(nullptr, nullptr, "C.UTF-8"), "");
    EXPECT_EQ(CollationLocale(nullptr, nullptr, "POSIX"), "");
    EXPECT_EQ(CollationLocale(nullptr, nullptr, nullptr), "");
}

TEST(PosixCollation, CaseIgnoredJapaneseAfterAsciiEqualKeysTie) {
    for (const char* locale : {"ja_JP.UTF-8", "C"}) {
        EnvVar all("LC_ALL", locale);
        PosixPlatform p(0, nullptr);
        const std::vector<std::string> lines = {
            "/home/b.txt", "/home/日本.txt", "/home/A.txt", "/home/a.txt", "/home/B.txt",
            "/home/ab.txt", "/home/あ.txt", "/home/c.txt", "/home/Ab.txt"};
        EXPECT_EQ(SortedBy(p, lines),
                  (std::vector<std::string>{"/home/A.txt", "/home/a.txt", "/home/ab.txt",
                                            "/home/Ab.txt", "/home/b.txt", "/home/B.txt",
                                            "/home/c.txt", "/home/あ.txt", "/home/日本.txt"}))
            << locale;
        auto keys = p.SortKeys({"ABC", "abc", "abd", "", "a\xff"});
        EXPECT_EQ(keys[0], keys[1]);
        EXPECT_LT(keys[1], keys[2]);
        EXPECT_LT(keys[3], keys[0]);
        EXPECT_FALSE(keys[4].empty());  // bytes that are not UTF-8 still get a key
    }
}

TEST(PosixCollation, KeysForManyLines) {
    PosixPlatform p(0, nullptr);
    std::vector<std::string> lines;
    for (int i = 0; i < 20000; ++i) lines.push_back("/data/フォルダ/file" + std::to_string(i) + ".TXT");
    lines.push_back(std::string(5000, 'x'));  // longer than any buffer guessed up front
    auto keys = p.SortKeys(lines);
    ASSERT_EQ(keys.size(), lines.size());
    EXPECT_LT(keys[1], keys[2]);     // file1 < file2
    EXPECT_LT(keys[10], keys[2]);    // file10 < file2: plain text order, no number order
    EXPECT_GT(keys.back().size(), 5000u);
}

TEST(PosixUpperCase, FullCaseMappingAndStrayBytesKept) {
    PosixPlatform p(0, nullptr);
    EXPECT_EQ(p.UpperCase("c:/users/aiko/readme.txt"), "C:/USERS/AIKO/README.TXT");
    EXPECT_EQ(p.UpperCase("äöü straße ｆｕｌｌ ｱいう漢字"), "ÄÖÜ STRASSE ＦＵＬＬ ｱいう漢字");
    EXPECT_EQ(p.UpperCase("istanbul"), "ISTANBUL");  // no dotted capital I
    EXPECT_EQ(p.UpperCase("a\xff" "b\xe3\x81" "c"), "A\xff" "B\xe3\x81" "C");
    EXPECT_EQ(p.UpperCase(""), "");
    EXPECT_EQ(p.UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(PosixSettingsText, Utf8AsItIsOtherwiseCp932) {
    EXPECT_EQ(DecodeSettingsBytes("GPrefix=<日本>\r\n"), "GPrefix=<日本>\r\n");
    EXPECT_EQ(DecodeSettingsBytes("\xEF\xBB\xBFGLong=True"), "GLong=True");  // mark dropped
    EXPECT_EQ(DecodeSettingsBytes(""), "");
    // "GSuffix=表\ｱ" in cp932: 0x5C is the backslash, 0xB1 the half-width katakana.
    EXPECT_EQ(DecodeSettingsBytes("GSuffix=\x95\x5C\x5C\xB1"), "GSuffix=表\\ｱ");
    EXPECT_EQ(DecodeSettingsBytes("\x82\xA0\x82\xA2"), "あい");
    EXPECT_TRUE(IsValidUtf8("あい"));
    EXPECT_FALSE(IsValidUtf8("\x82\xA0"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // an encoded surrogate
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // an overlong form
}

}  // namespace
}  // namespace kirramo::posix
