// Stat, folder listings and long names of the Linux backend, on real temporary folders;
// the look-up thread of the listings and the hook before the first listing.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/time.h>

#include <map>

#include "platform/posix/DesktopProcess.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "posix/TempFolder.h"

namespace kirramo::posix {
namespace {

using testing::TempFolder;
using testing::WriteFile;

constexpr InfoWanted kAll{true, true, true};

PosixWiring Wiring(LookupTeam* lookups, std::function<void()> beforeFirstListing = {},
                   std::function<void(const std::string&)> messageBox = {}) {
    PosixWiring wiring;
    wiring.lookups = lookups;
    wiring.beforeFirstListing = std::move(beforeFirstListing);
    wiring.messageBox = std::move(messageBox);
    return wiring;
}

std::map<std::string, EntryInfo> ListAll(Platform& p, const std::string& folder, InfoWanted w) {
    std::map<std::string, EntryInfo> out;
    auto reader = p.OpenDir(folder, w);
    EntryInfo e;
    while (reader->Next(e)) EXPECT_TRUE(out.emplace(e.name, e).second) << "twice: " << e.name;
    EXPECT_FALSE(reader->Next(e));  // stays at its end
    return out;
}

TEST(PosixStat, KindsAttributesSizesAndTimes) {
    TempFolder t;
    PosixPlatform p(0, nullptr);
    ASSERT_TRUE(WriteFile(t / "a.txt", "hello"));
    ASSERT_TRUE(WriteFile(t / ".hidden", ""));
    ASSERT_TRUE(WriteFile(t / "ro.txt", "x"));
    ASSERT_EQ(chmod((t / "ro.txt").c_str(), 0444), 0);
    ASSERT_EQ(mkdir((t / "sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub", (t / "to-sub").c_str()), 0);
    ASSERT_EQ(symlink("missing", (t / "broken").c_str()), 0);
    struct timespec times[2] = {{1184515800, 0}, {1184515800, 123456789}};  // 2007-07-15 16:10 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, (t / "a.txt").c_str(), times, 0), 0);

    auto a = p.Stat(t / "a.txt", kAll);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, "a.txt");
    EXPECT_FALSE(a->IsDir());
    EXPECT_EQ(a->attributes & (kAttrHidden | kAttrReadOnly), 0u);
    EXPECT_TRUE(a->hasSize);
    EXPECT_EQ(a->size, 5u);
    EXPECT_TRUE(a->hasTimes);
    EXPECT_EQ(a->writeTime, (1184515800LL + 11644473600LL) * 10000000 + 1234567);
    EXPECT_NE(a->creationTime, kNoTime);

    EXPECT_TRUE(p.Stat(t / ".hidden", {})->attributes & kAttrHidden);
    EXPECT_TRUE(p.Stat(t / "ro.txt", {})->attributes & kAttrReadOnly);
    EXPECT_TRUE(p.Stat(t / "sub", {})->IsDir());
    EXPECT_TRUE(p.Stat(t / "sub/", {})->IsDir());
    EXPECT_EQ(p.Stat(t / "sub/", {})->name, "sub");

    auto link = p.Stat(t / "to-sub", kAll);
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->IsDir());
    EXPECT_EQ(link->id, p.Stat(t / "sub", kAll)->id);

    auto broken = p.Stat(t / "broken", kAll);  // a link to nothing still exists, as a file
    ASSERT_TRUE(broken);
    EXPECT_FALSE(broken->IsDir());

    EXPECT_FALSE(p.Stat(t / "nothing", kAll));
    EXPECT_FALSE(p.Stat(t / "a.txt/below", kAll));
    EXPECT_TRUE(p.Stat("/", {})->IsDir());
    EXPECT_TRUE(p.Stat("", {})->IsDir());  // the cut root
}

TEST(PosixOpenDir, ListsEveryNameAsStoredWithItsKind) {
    TempFolder t;
    PosixPlatform p(0, nullptr);
    const std::vector<std::string> files = {
        ".dot", "写真 家族.jpg", "with space.txt", "back\\slash", "quote\"d", "star*", "what?",
        "line\nbreak", "ﾊﾝｶｸ", "noext"};
    for (const auto& f : files) ASSERT_TRUE(WriteFile(t / f, f)) << f;
    ASSERT_EQ(mkdir((t / ".hidden folder").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "旅行").c_str(), 0755), 0);
    ASSERT_EQ(symlink("旅行", (t / "link to folder").c_str()), 0);
    ASSERT_EQ(symlink("gone", (t / "dangling").c_str()), 0);

    for (InfoWanted w : {InfoWanted{}, kAll}) {
        auto all = ListAll(p, t.Path(), w);
        EXPECT_EQ(all.size(), files.size() + 4);
        for (const auto& f : files) {
            ASSERT_TRUE(all.count(f)) << f;
            EXPECT_FALSE(all[f].IsDir()) << f;
            if (w.size) {
                EXPECT_TRUE(all[f].hasSize);
                EXPECT_EQ(all[f].size, f.size()) << f;
            }
            EXPECT_EQ(all[f].hasTimes, w.times);
        }
        EXPECT_TRUE(all[".dot"].attributes & kAttrHidden);
        EXPECT_FALSE(all["noext"].attributes & kAttrHidden);
        EXPECT_TRUE(all[".hidden folder"].IsDir());
        EXPECT_TRUE(all[".hidden folder"].attributes & kAttrHidden);
        EXPECT_TRUE(all["旅行"].IsDir());
        EXPECT_TRUE(all["link to folder"].IsDir());
        EXPECT_FALSE(all["dangling"].IsDir());
        // Links are marked, so that no walk enters them; what they lead to is not.
        EXPECT_TRUE(all["link to folder"].attributes & kAttrLink);
        EXPECT_TRUE(all["dangling"].attributes & kAttrLink);
        EXPECT_FALSE(all["旅行"].attributes & kAttrLink);
        EXPECT_FALSE(all["noext"].attributes & kAttrLink);
        EXPECT_EQ(all.count("."), 0u);
        EXPECT_EQ(all.count(".."), 0u);
        if (w.id) {
            EXPECT_EQ(all["link to folder"].id, all["旅行"].id);
        }
    }
}

TEST(PosixOpenDir, ALinkToAnAncestorIsAFolderWithTheAncestorsId) {
    TempFolder t;
    PosixPlatform p(0, nullptr);
    ASSERT_EQ(mkdir((t / "a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "a/b").c_str(), 0755), 0);
    ASSERT_EQ(symlink("..", (t / "a/b/up").c_str()), 0);

    auto entries = ListAll(p, t / "a/b", {false, false, true});
    ASSERT_TRUE(entries.count("up"));
    EXPECT_TRUE(entries["up"].IsDir());
    EXPECT_TRUE(entries["up"].id.valid);
    EXPECT_EQ(entries["up"].id, p.Stat(t / "a", {})->id);
    EXPECT_FALSE(entries["up"].id == p.Stat(t / "a/b", {})->id);

    // Going through the link lists the ancestor again.
    EXPECT_TRUE(ListAll(p, t / "a/b/up/b/up", {}).count("b"));
}

TEST(PosixOpenDir, MissingRemovedOrUnlistableFoldersYieldNothing) {
    TempFolder t;
    LookupTeam team;  // the many entries of "busy" below are looked up on two threads
    PosixPlatform p(0, nullptr, Wiring(&team));
    EXPECT_TRUE(ListAll(p, t / "missing", kAll).empty());
    ASSERT_TRUE(WriteFile(t / "file", "x"));
    EXPECT_TRUE(ListAll(p, t / "file", kAll).empty());

    // Removed after the listing was opened.
    ASSERT_EQ(mkdir((t / "gone").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(t / "gone/x", "x"));
    auto reader = p.OpenDir(t / "gone", kAll);
    ASSERT_EQ(unlink((t / "gone/x").c_str()), 0);
    ASSERT_EQ(rmdir((t / "gone").c_str()), 0);
    EntryInfo e;
    EXPECT_FALSE(reader->Next(e));

    // Entries removed in the middle of a listing: whatever still comes out of the
    // listing has no details that were never read (details read while the file was
    // there are its own).
    ASSERT_EQ(mkdir((t / "busy").c_str(), 0755), 0);
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(WriteFile(t / ("busy/f" + std::to_string(i)), "x"));
    auto busy = p.OpenDir(t / "busy", kAll);
    ASSERT_TRUE(busy->Next(e));
    for (int i = 0; i < 50; ++i) unlink((t / ("busy/f" + std::to_string(i))).c_str());
    int after = 0;
    while (busy->Next(e)) {
        ++after;
        EXPECT_EQ(e.hasTimes, e.writeTime != kNoTime) << e.name;
        if (e.hasSize) {
            EXPECT_EQ(e.size, 1u) << e.name;
        }
    }
    EXPECT_LE(after, 49);
}

// The threads of this process, as the system counts them.
int ThreadCount() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (struct dirent* e = readdir(d)) count += e->d_name[0] != '.';
        closedir(d);
    }
    return count;
}

TEST(PosixOpenDir, SharedLookupsGiveTheSameEntriesAndEndBeforeAFork) {
    TempFolder t;
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(WriteFile(t / ("f" + std::to_string(i)), std::string(i, 'x')));
    ASSERT_EQ(mkdir((t / "sub").c_str(), 0755), 0);
    const int threads = ThreadCount();
    PosixPlatform alone(0, nullptr);
    LookupTeam team;
    PosixPlatform shared(0, nullptr, Wiring(&team));
    const auto expected = ListAll(alone, t.Path(), kAll);
    ASSERT_EQ(expected.size(), 301u);
    EXPECT_EQ(ThreadCount(), threads);  // without a team: no thread of its own
    for (int round = 0; round < 2; ++round) {  // a listing after the stop starts it again
        const auto got = ListAll(shared, t.Path(), kAll);
        ASSERT_EQ(got.size(), expected.size());
        for (const auto& [name, e] : expected) {
            const EntryInfo& g = got.at(name);
            EXPECT_EQ(g.size, e.size) << name;
            EXPECT_EQ(g.writeTime, e.writeTime) << name;
            EXPECT_EQ(g.IsDir(), e.IsDir()) << name;
            EXPECT_EQ(g.id, e.id) << name;
        }
        EXPECT_EQ(ThreadCount(), threads + 1);
        EXPECT_EQ(PrepareToFork(&team), threads == 1);
        EXPECT_EQ(ThreadCount(), threads);
    }
}

TEST(PosixWiring, TheHookBeforeTheFirstListingRunsOnceAndOnlyForAListing) {
    TempFolder t;
    ASSERT_EQ(mkdir((t / "sub").c_str(), 0755), 0);
    int calls = 0;
    std::vector<std::string> shown;
    PosixPlatform p(0, nullptr, Wiring(nullptr, [&] { ++calls; },
                                       [&](const std::string& text) { shown.push_back(text); }));
    EXPECT_TRUE(p.Stat(t.Path(), kAll));
    EXPECT_EQ(calls, 0);  // a run that lists nothing never calls it
    ListAll(p, t.Path(), kAll);
    EXPECT_EQ(calls, 1);
    ListAll(p, t.Path(), kAll);
    EXPECT_TRUE(p.TreeCommandOutput(t.Path(), true, {}));
    EXPECT_EQ(calls, 1);
    PosixPlatform tree(0, nullptr, Wiring(nullptr, [&] { ++calls; }));
    EXPECT_TRUE(tree.TreeCommandOutput(t.Path(), true, {}));
    EXPECT_EQ(calls, 2);  // a tree is a listing too

    p.MessageBox("一行");
    EXPECT_EQ(shown, std::vector<std::string>{"一行"});
}

TEST(PosixOpenDir, UnreadableFolderYieldsNothing) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    TempFolder t;
    PosixPlatform p(0, nullptr);
    ASSERT_EQ(mkdir((t / "closed").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(t / "closed/x", "x"));
    ASSERT_EQ(chmod((t / "closed").c_str(), 0), 0);
    EXPECT_TRUE(ListAll(p, t / "closed", kAll).empty());
    EXPECT_TRUE(p.Stat(t / "closed", {})->IsDir());
}

TEST(PosixFileSystem, PathsLongerThanTheSystemLimitStillWork) {
    TempFolder t;
    PosixPlatform p(0, nullptr);
    // Built one folder at a time: the whole path is too long for any single call.
    const std::string part(200, 'd');
    std::string path = t.Path();
    int fd = open(t.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    while (path.size() < 10000) {
        ASSERT_EQ(mkdirat(fd, part.c_str(), 0755), 0);
        int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        path += "/" + part;
    }
    int file = openat(fd, "葉.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "xyz", 3), 3);
    close(file);
    close(fd);
    ASSERT_GT(path.size(), 10000u);
    struct stat st;
    ASSERT_NE(stat(path.c_str(), &st), 0);  // really out of reach of plain calls

    auto leaf = p.Stat(path + "/葉.txt", kAll);
    ASSERT_TRUE(leaf);
    EXPECT_EQ(leaf->size, 3u);
    EXPECT_TRUE(leaf->hasTimes);
    EXPECT_TRUE(p.Stat(path, {})->IsDir());
    EXPECT_FALSE(p.Stat(path + "/none", {}));

    auto entries = ListAll(p, path, kAll);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.begin()->first, "葉.txt");
    EXPECT_EQ(entries.begin()->second.size, 3u);
    auto parent = ListAll(p, path.substr(0, path.size() - part.size() - 1), {false, false, true});
    ASSERT_EQ(parent.size(), 1u);
    EXPECT_TRUE(parent.begin()->second.IsDir());
    EXPECT_EQ(parent.begin()->second.id, p.Stat(path, {})->id);

    EXPECT_EQ(p.FindLongName(path + "/葉.txt"), "葉.txt");
}

TEST(PosixPathForms, LongNameIsTheLastComponentAndShortFormThePathItself) {
    TempFolder t;
    PosixPlatform p(0, nullptr);
    ASSERT_TRUE(WriteFile(t / "長い名前~1.txt", ""));
    ASSERT_EQ(symlink("x", (t / "broken~1").c_str()), 0);
    EXPECT_EQ(p.FindLongName(t / "長い名前~1.txt"), "長い名前~1.txt");
    EXPECT_EQ(p.FindLongName(t / "broken~1"), "broken~1");
    EXPECT_FALSE(p.FindLongName(t / "MISSIN~1"));
    EXPECT_EQ(p.ShortPath(t / "長い名前~1.txt"), t / "長い名前~1.txt");
    EXPECT_FALSE(p.HasShortNames());
    EXPECT_EQ(p.Separator(), '/');
    EXPECT_EQ(p.CutRoot("/"), "");
    EXPECT_EQ(p.CutRoot("/home"), "/home");
    EXPECT_EQ(p.CutRoot(""), "");
}

}  // namespace
}  // namespace kirramo::posix
