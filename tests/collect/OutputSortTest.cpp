// The output sort with a key builder: keys made while the lines arrive (on a second
// thread once there are many), folder parts of keys shared, equal keys decided by the
// builder. Its order must be exactly the order of sorting all lines at the end.
#include "collect/OutputSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "collect/CollectPaths.h"
#include "fake/FakePlatform.h"

using namespace kirramo;

namespace {

std::string Folded(std::string_view text) {
    std::string k(text);
    for (char& c : k)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return k;
}

// Keys of the text with ASCII letters folded. With `marks`, each piece between
// separators also ends with a byte of its length, so that a key joins after a
// separator and nowhere else (as ICU's keys join only where no compressed run or
// contraction goes on). Texts with equal keys are ordered by their bytes when
// `decideCase` is on (upper case first), else left equal.
class FoldingBuilder : public SortKeyBuilder {
public:
    FoldingBuilder(bool joins, bool decideCase, bool marks)
        : joins_(joins), decideCase_(decideCase), marks_(marks) {}
    static std::string KeyOf(std::string_view text, bool marks) {
        if (!marks) return Folded(text);
        std::string k;
        size_t start = 0;
        for (;;) {
            const size_t cut = text.find('\\', start);
            const std::string_view piece = text.substr(start, cut - start);
            if (cut == std::string_view::npos && piece.empty()) break;
            k += Folded(piece);
            k += static_cast<char>(piece.size() + 1);
            if (cut == std::string_view::npos) break;
            k += '\\';
            start = cut + 1;
        }
        return k;
    }
    size_t Key(std::string_view text, unsigned char* buffer, size_t capacity) override {
        const std::string k = KeyOf(text, marks_);
        if (k.size() > capacity) return k.size() + 3;  // asks for more than it needs
        std::copy(k.begin(), k.end(), buffer);
        return k.size();
    }
    int CompareEqualKeys(std::string_view a, std::string_view b) override {
        return decideCase_ ? a.compare(b) : 0;
    }
    bool KeysJoinAfter(char) override { return joins_; }

private:
    const bool joins_, decideCase_, marks_;
};

// FakePlatform with a key builder.
class BuilderPlatform : public FakePlatform {
public:
    bool joins = true;
    bool decideCase = true;
    bool marks = true;
    int builders = 0;
    std::unique_ptr<SortKeyBuilder> NewSortKeyBuilder() override {
        ++builders;
        return std::make_unique<FoldingBuilder>(joins, decideCase, marks);
    }
};

// The order the sorter must give: empty lines first, then the whole line's key, then
// (when the case decides) the bytes, then the lines' own order.
std::vector<size_t> ExpectedOrder(const std::vector<std::string>& lines, bool decideCase,
                                  bool marks = true) {
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (lines[a].empty() != lines[b].empty()) return lines[a].empty();
        const std::string ka = FoldingBuilder::KeyOf(lines[a], marks);
        const std::string kb = FoldingBuilder::KeyOf(lines[b], marks);
        if (ka != kb) return ka < kb;
        return decideCase && lines[a] < lines[b];
    });
    return order;
}

// Lines as a walk makes them: runs below the same folder, folders nested, names that
// differ in case alone, repeated lines and empty lines among them.
std::vector<std::string> WalkLikeLines(size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    const char* words[] = {"Data", "data", "DATA", "photo", "Photo 2", "a", "A", "b.txt",
                           "B.TXT", "x y", "x.y", "x-y", "", "zz"};
    std::vector<std::string> lines;
    std::string folder = "C:\\top";
    while (lines.size() < count) {
        switch (rng() % 6) {
        case 0:
            folder = "C:\\top";
            [[fallthrough]];
        case 1:
            folder += "\\" + std::string(words[rng() % 13]);  // "" doubles a separator
            break;
        default:
            break;
        }
        const size_t run = 1 + rng() % 40;
        for (size_t i = 0; i < run && lines.size() < count; ++i) {
            const std::string word = words[rng() % 14];
            if (rng() % 50 == 0)
                lines.emplace_back();
            else
                lines.push_back(folder + "\\" + word + (rng() % 3 ? std::to_string(rng() % 30) : ""));
        }
    }
    return lines;
}

// Hands the lines to the sorter in pieces, the way a run does, and gives its order.
std::vector<size_t> SortedInPieces(BuilderPlatform& fs, std::vector<std::string> lines, unsigned seed) {
    OutputSorter sorter(fs, fs.Separator());
    std::mt19937 rng(seed);
    std::vector<std::string> growing;
    for (std::string& line : lines) {
        growing.push_back(std::move(line));
        if (rng() % 97 == 0) sorter.LinesAdded(growing);
    }
    return sorter.Order(growing);
}

}  // namespace

TEST(OutputSorter, OrderIsTheOrderOfOneSortAtTheEnd) {
    for (bool joins : {true, false}) {
        for (bool decideCase : {true, false}) {
            for (size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{7}, size_t{3000}, size_t{30001}}) {
                BuilderPlatform fs;
                fs.joins = joins;
                fs.decideCase = decideCase;
                const std::vector<std::string> lines = WalkLikeLines(count, static_cast<unsigned>(count));
                EXPECT_EQ(SortedInPieces(fs, lines, 7), ExpectedOrder(lines, decideCase))
                    << "joins " << joins << " case " << decideCase << " count " << count;
                // A second thread (with a builder of its own) only for many lines, and
                // no builder at all (no collation opened) with one line or none to order.
                const size_t filled = static_cast<size_t>(
                    std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); }));
                EXPECT_EQ(fs.builders, count >= 3000 ? 2 : filled >= 2 ? 1 : 0) << count;
            }
        }
    }
}

TEST(OutputSorter, LastEmptyLineMayStillBeReplaced) {
    // A tree listing replaces an empty last line; lines handed over must not include it.
    BuilderPlatform fs;
    OutputSorter sorter(fs, fs.Separator());
    std::vector<std::string> lines(1);
    for (int i = 0; i < 5000; ++i) lines.push_back("C:\\d\\f" + std::to_string(5000 - i));
    lines.emplace_back();
    sorter.LinesAdded(lines);
    lines.back() = "C:\\a";
    lines.push_back("C:\\B");
    sorter.LinesAdded(lines);
    EXPECT_EQ(sorter.Order(lines), ExpectedOrder(lines, true));
    // One line among empty ones: the empty ones first, without any key.
    BuilderPlatform few;
    EXPECT_EQ(OutputSorter(few, few.Separator()).Order({"x", "", ""}), (std::vector<size_t>{1, 2, 0}));
    EXPECT_EQ(few.builders, 0);
}

TEST(OutputSorter, KeysInTwoPartsCompareAsWholeKeys) {
    std::mt19937 rng(3);
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i) {
        std::string k(rng() % 7, '\0');
        for (char& c : k) c = static_cast<char>("ab\x01\xff"[rng() % 4]);
        keys.push_back(k);
    }
    auto split = [&](const std::string& k) {
        const size_t cut = rng() % (k.size() + 1);
        const auto* p = reinterpret_cast<const unsigned char*>(k.data());
        return OutputSorter::Item{p, p + cut, static_cast<uint32_t>(cut),
                                  static_cast<uint32_t>(k.size() - cut), 0};
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const std::string& a : keys) {
        for (const std::string& b : keys) {
            const int whole = sign(std::string_view(a).compare(b));
            EXPECT_EQ(sign(CompareItemKeys(split(a), split(b))), whole) << a << " / " << b;
        }
    }
    // The same head: only the tails count.
    const unsigned char head[] = {5, 6}, t1[] = {1}, t2[] = {1, 0};
    EXPECT_LT(CompareItemKeys({head, t1, 2, 1, 0}, {head, t2, 2, 2, 1}), 0);
    EXPECT_EQ(CompareItemKeys({head, t1, 2, 1, 0}, {head, t1, 2, 1, 1}), 0);
}

TEST(OutputSorter, RunWithKeyBuilderGivesTheSameTextAsWithout) {
    // The same tree through both roads: keys made as the walk goes (joined after "\")
    // and the platform's keys of all lines at the end.
    BuilderPlatform withBuilder;
    withBuilder.decideCase = false;  // FakePlatform's keys leave case-only differences equal
    withBuilder.marks = false;       // and are the folded text
    FakePlatform plain;
    std::mt19937 rng(11);
    std::string someFile;
    const char* names[] = {"Alpha", "alpha", "beta.TXT", "Beta.txt", "g-1", "g 1", "g.1", "zeta"};
    for (int d = 0; d < 40; ++d) {
        const std::string folder = "C:\\root\\" + std::string(names[d % 8]) + std::to_string(d / 8);
        for (int f = 0; f < 150; ++f) {
            const std::string file = folder + "\\" + names[rng() % 8] + std::to_string(f % 37) +
                                     (f % 2 ? "" : ".log") + std::to_string(f);
            withBuilder.AddFile(file, f);
            plain.AddFile(file, f);
            if (someFile.empty()) someFile = file;
        }
        withBuilder.AddFolder(folder + "\\sub");
        plain.AddFolder(folder + "\\sub");
    }
    for (FakePlatform* fs : {static_cast<FakePlatform*>(&withBuilder), &plain})
        fs->commandLine = "C:\\root " + someFile;
    auto run = [](FakePlatform& fs, bool dirs) {
        OptionSet o = OptionSet::Designed();
        o.GFolder = true;
        o.GSub = true;
        o.GDir = dirs;
        EXPECT_TRUE(CollectPaths(o, fs));
        return fs.clipboard.value_or("");
    };
    for (bool dirs : {false, true}) {
        const std::string text = run(withBuilder, dirs);
        EXPECT_EQ(text, run(plain, dirs));
        EXPECT_GT(text.size(), dirs ? 1000u : 100000u);
    }
    EXPECT_GE(withBuilder.builders, 2);
}
