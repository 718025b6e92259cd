// Collation keys, upper case and settings text decoding of the Linux backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "collect/OutputSort.h"

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

// Random paths below shared folders, from pieces that test the collation's corners:
// case, punctuation, digits, kana with voicing marks (precomposed and combining), the
// long vowel mark and iteration marks (whose weight depends on the character before),
// small kana, kanji, accents, contractions of some locales ("ch", "aa"), a stray byte.
std::vector<std::string> CollationTestLines(size_t count, unsigned seed) {
    const char* pieces[] = {"a", "A", "b", "B", "ch", "Ch", "aa", "z", "0", "1", "9", " ", ".",
                            "-", "_", "/", "//", "テ", "デ", "テ\xE3\x82\x99", "カ", "ー",
                            "ヽ", "ゝ", "ァ", "ア", "あ", "写真", "東京", "é", "e\xCC\x81",
                            "\xFF", "ß", "ｱ", "Ａ"};
    constexpr size_t kPieces = sizeof(pieces) / sizeof(pieces[0]);
    std::mt19937 rng(seed);
    auto word = [&] {
        std::string w;
        for (size_t i = 1 + rng() % 4; i > 0; --i) w += pieces[rng() % kPieces];
        return w;
    };
    std::vector<std::string> lines;
    std::string folder = "/data";
    while (lines.size() < count) {
        if (rng() % 4 == 0) folder = "/data/" + word();
        if (rng() % 3 == 0) folder += "/" + word();
        for (size_t i = 1 + rng() % 30; i > 0 && lines.size() < count; --i)
            lines.push_back(rng() % 40 == 0 ? std::string() : folder + "/" + word());
    }
    return lines;
}

TEST(PosixCollation, KeysMadeAsTheWalkGoesOrderAsTheWholeKeys) {
    // The key builder makes keys of the base letters only, joined after "/", on two
    // threads; lines with equal keys go to the full collation. The order must be
    // exactly that of the full keys of SortKeys (empty lines first, ties in order).
    for (const char* locale : {"ja_JP.UTF-8", "C", "de_DE.UTF-8", "cs_CZ.UTF-8", "da_DK.UTF-8"}) {
        EnvVar all("LC_ALL", locale);
        PosixPlatform p(0, nullptr);
        const std::vector<std::string> lines = CollationTestLines(12000, 5);
        const std::vector<std::string> keys = p.SortKeys(lines);
        std::vector<size_t> expected(lines.size());
        std::iota(expected.begin(), expected.end(), size_t{0});
        std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) {
            if (lines[a].empty() != lines[b].empty()) return lines[a].empty();
            return keys[a] < keys[b];
        });
        OutputSorter sorter(p, p.Separator());
        std::vector<std::string> growing;
        for (const std::string& line : lines) {
            growing.push_back(line);
            if (growing.size() % 500 == 0) sorter.LinesAdded(growing);
        }
        const std::vector<size_t> order = sorter.Order(growing);
        ASSERT_EQ(order.size(), expected.size()) << locale;
        size_t differ = 0;
        for (size_t i = 0; i < order.size(); ++i) differ += order[i] != expected[i];
        EXPECT_EQ(differ, 0u) << locale;
    }
}

TEST(PosixCollation, KeysJoinAfterTheSeparatorOnly) {
    for (const char* locale : {"ja_JP", "", "da_DK"}) {
        Collator full(locale);
        std::unique_ptr<Collator> primary = full.Clone(true);
        ASSERT_TRUE(primary) << locale;
        EXPECT_TRUE(primary->KeysJoinAfter('/')) << locale;
        // The key of a path is the key of its folder part followed by the rest's.
        for (const std::string& line : CollationTestLines(400, 9)) {
            const size_t cut = line.rfind('/') + 1;
            EXPECT_EQ(primary->Key(line), primary->Key(line.substr(0, cut)) + primary->Key(line.substr(cut)))
                << locale << " " << line;
        }
    }
    // Danish sorts "aa" as one letter: keys do not join after an "a".
    EXPECT_FALSE(Collator("da_DK").Clone(true)->KeysJoinAfter('a'));
    // A separator outside ASCII is never taken.
    EXPECT_FALSE(Collator("ja_JP").Clone(true)->KeysJoinAfter('\x80'));
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

TEST(PosixSettingsText, Cp932LinesReadAsTheirCharacters) {
    PosixPlatform p(0, nullptr);
    EXPECT_EQ(p.AnsiLineText(""), "");
    // "GSuffix=表\ｱ" in cp932: 0x5C is the backslash, 0xB1 the half-width katakana.
    EXPECT_EQ(p.AnsiLineText("GSuffix=\x95\x5C\x5C\xB1"), "GSuffix=表\\ｱ");
    EXPECT_EQ(p.AnsiLineText("\x82\xA0\x82\xA2"), "あい");
    // The Linux program writes UTF-8 whatever the text holds.
    EXPECT_EQ(p.PlainSettingsBytes("GPrefix=😀한前\r\n"), "GPrefix=😀한前\r\n");
    EXPECT_TRUE(IsValidUtf8("あい"));
    EXPECT_FALSE(IsValidUtf8("\x82\xA0"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // an encoded surrogate
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // an overlong form
}

}  // namespace
}  // namespace kirramo::posix
