#include "fake/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kirramo;

namespace {

std::vector<std::string> Names(FakePlatform& fs, const std::string& folder) {
    std::vector<std::string> names;
    auto reader = fs.OpenDir(folder, {});
    EntryInfo e;
    while (reader->Next(e)) names.push_back(e.name);
    return names;
}

}  // namespace

TEST(FakePlatform, LooksUpWithoutCaseAndKeepsStoredCase) {
    FakePlatform fs;
    fs.AddFile("C:\\Dir\\ReadMe.TXT", 10);
    auto e = fs.Stat("c:\\DIR\\readme.txt", {});
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name, "ReadMe.TXT");
    EXPECT_FALSE(e->IsDir());
    EXPECT_TRUE(fs.Stat("C:\\dir", {})->IsDir());
    EXPECT_TRUE(fs.Stat("C:\\", {})->IsDir());
    EXPECT_TRUE(fs.Stat("C:\\dir\\", {}));
    EXPECT_FALSE(fs.Stat("C:\\dir\\\\readme.txt", {}));
    EXPECT_FALSE(fs.Stat("D:\\", {}));
    EXPECT_FALSE(fs.Stat("dir\\readme.txt", {}));
    EXPECT_EQ(fs.statCalls, 7);
}

TEST(FakePlatform, ListsInCaseInsensitiveOrderAndFillsOnlyWhatIsWanted) {
    FakePlatform fs;
    fs.AddFile("C:\\d\\b.txt", 5, FakePlatform::Ticks(2020, 1, 1));
    fs.AddFile("C:\\d\\A.txt", 7);
    fs.AddFolder("C:\\d\\c", kNoTime, kAttrHidden);
    EXPECT_EQ(Names(fs, "C:\\d"), (std::vector<std::string>{"A.txt", "b.txt", "c"}));
    EXPECT_TRUE(Names(fs, "C:\\missing").empty());
    EXPECT_TRUE(Names(fs, "C:\\d\\b.txt").empty());
    EXPECT_EQ(Names(fs, "C:"), std::vector<std::string>{"d"});

    auto bare = fs.OpenDir("C:\\d", {});
    EntryInfo e;
    ASSERT_TRUE(bare->Next(e));
    EXPECT_FALSE(e.hasSize);
    EXPECT_FALSE(e.hasTimes);
    EXPECT_FALSE(e.id.valid);
    auto full = fs.OpenDir("C:\\d", {true, true, true});
    EXPECT_EQ(fs.openDirsNow, 2);
    full->Next(e);
    full->Next(e);
    EXPECT_EQ(e.size, 5u);
    EXPECT_EQ(e.writeTime, FakePlatform::Ticks(2020, 1, 1));
    EXPECT_TRUE(e.id.valid);
    full->Next(e);
    EXPECT_EQ(e.attributes, kAttrDirectory | kAttrHidden);
    bare.reset();
    full.reset();
    EXPECT_EQ(fs.openDirsNow, 0);
    EXPECT_EQ(fs.maxOpenDirs, 2);
}

TEST(FakePlatform, ShortNamesWorkComponentByComponent) {
    FakePlatform fs;
    fs.AddFile("C:\\Program Files\\Common Files\\a.txt");
    fs.SetShortName("C:\\Program Files", "PROGRA~1");
    fs.SetShortName("C:\\Program Files\\Common Files", "COMMON~1");
    EXPECT_EQ(fs.ShortPath("C:\\Program Files\\Common Files\\a.txt"), "C:\\PROGRA~1\\COMMON~1\\a.txt");
    EXPECT_EQ(fs.ShortPath("C:\\progra~1\\Common Files"), "C:\\PROGRA~1\\COMMON~1");
    EXPECT_EQ(fs.ShortPath("C:\\"), "C:\\");
    EXPECT_FALSE(fs.ShortPath("C:\\nothing"));
    EXPECT_EQ(fs.FindLongName("C:\\PROGRA~1"), "Program Files");
    EXPECT_EQ(fs.FindLongName("c:\\program files\\COMMON~1"), "Common Files");
    EXPECT_FALSE(fs.FindLongName("C:\\"));
    EXPECT_FALSE(fs.FindLongName("C:\\PROGRA~2"));
    EXPECT_EQ(fs.findLongNameCalls, 4);
    fs.shortPathFails = true;
    EXPECT_FALSE(fs.ShortPath("C:\\Program Files"));
}

TEST(FakePlatform, FolderLinksLeadToTheirTarget) {
    FakePlatform fs;
    fs.AddFile("C:\\top\\sub\\f.txt");
    fs.AddLink("C:\\top\\sub\\back", "C:\\top");
    EXPECT_EQ(Names(fs, "C:\\top\\sub\\back"), std::vector<std::string>{"sub"});
    EXPECT_TRUE(fs.Stat("C:\\top\\sub\\back\\sub\\f.txt", {}));
    auto top = fs.Stat("C:\\top", {false, false, true});
    auto link = fs.Stat("C:\\top\\sub\\back", {false, false, true});
    auto sub = fs.Stat("C:\\top\\sub", {false, false, true});
    EXPECT_TRUE(link->IsDir());
    EXPECT_EQ(link->name, "back");
    EXPECT_TRUE(link->id == top->id);
    EXPECT_FALSE(sub->id == top->id);
    fs.AddLink("C:\\self", "C:\\self");  // a link to itself resolves to nothing
    EXPECT_TRUE(Names(fs, "C:\\self").empty());
}

TEST(FakePlatform, DrivesTimesAndNumbers) {
    FakePlatform fs;
    fs.driveConnections["Z:"] = "\\\\server\\share";
    EXPECT_EQ(fs.VolumeRootOf("z:\\a")->key, "z:");
    EXPECT_FALSE(fs.VolumeRootOf("\\\\server\\share\\a"));
    EXPECT_EQ(fs.DriveConnection({"z:"}), "\\\\server\\share");
    EXPECT_EQ(fs.DriveConnection({"C:"}), "");
    EXPECT_EQ(fs.driveConnectionCalls, 2);
    EXPECT_EQ(fs.CutRoot("C:\\"), "C:");
    EXPECT_EQ(fs.CutRoot("C:\\x"), "C:\\x");
    EXPECT_EQ(fs.CutRoot("1:\\"), "1:\\");

    auto local = fs.UtcToLocal(FakePlatform::Ticks(2023, 12, 31, 20, 30, 59, 999));
    ASSERT_TRUE(local);
    EXPECT_EQ(fs.GeneralDateText(*local), "2024/01/01 5:30:59");
    EXPECT_EQ(fs.GeneralDateText(*fs.UtcToLocal(FakePlatform::Ticks(2024, 2, 28, 15))), "2024/02/29");
    EXPECT_FALSE(fs.UtcToLocal(kNoTime));
    EXPECT_EQ(FakePlatform::Ticks(1601, 1, 1), 0);
    EXPECT_EQ(FakePlatform::Ticks(1970, 1, 1), 116444736000000000LL);

    EXPECT_EQ(fs.GroupDigits(0), "0");
    EXPECT_EQ(fs.GroupDigits(999), "999");
    EXPECT_EQ(fs.GroupDigits(1234567), "1,234,567");
    EXPECT_EQ(fs.GroupDigits(5000000000ULL), "5,000,000,000");
}

TEST(FakePlatform, ClipboardCanBeBusyForSomeAttempts) {
    FakePlatform fs;
    fs.clipboardBusyFor = 2;
    EXPECT_TRUE(fs.EmptyClipboard());
    EXPECT_EQ(fs.clipboard, "");
    EXPECT_FALSE(fs.SetClipboardText("x"));
    EXPECT_FALSE(fs.SetClipboardText("x"));
    EXPECT_TRUE(fs.SetClipboardText("x"));
    EXPECT_EQ(fs.clipboard, "x");
    EXPECT_EQ(fs.clipboardSetAttempts, 3);
}
