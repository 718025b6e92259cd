#include "collect/PathForms.h"

#include <gtest/gtest.h>

#include "fake/FakePlatform.h"

using namespace kirramo;
using V = std::vector<std::string>;

namespace {

void AddProgramFiles(FakePlatform& fs) {
    fs.AddFile("C:\\Program Files\\Common Files\\a.txt");
    fs.SetShortName("C:\\Program Files", "PROGRA~1");
    fs.SetShortName("C:\\Program Files\\Common Files", "COMMON~1");
}

}  // namespace

TEST(LongPathOf, LooksUpOnlyComponentsWithTildeUnderTheExpandedPrefix) {
    FakePlatform fs;
    AddProgramFiles(fs);
    EXPECT_EQ(LongPathOf(fs, "C:\\PROGRA~1\\COMMON~1\\a.txt"), "C:\\Program Files\\Common Files\\a.txt");
    EXPECT_EQ(fs.findLongNameArgs, (V{"C:\\PROGRA~1", "C:\\Program Files\\COMMON~1"}));

    fs.findLongNameArgs.clear();
    EXPECT_EQ(LongPathOf(fs, "c:\\program files\\COMMON~1"), "c:\\program files\\Common Files");
    EXPECT_EQ(LongPathOf(fs, "no-separator~1"), "no-separator~1");
    EXPECT_EQ(LongPathOf(fs, "C:\\"), "C:\\");
    EXPECT_EQ(LongPathOf(fs, "C:\\Program Files\\a.txt"), "C:\\Program Files\\a.txt");
    EXPECT_EQ(fs.findLongNameArgs, V{"c:\\program files\\COMMON~1"});
}

TEST(LongPathOf, KeepsSeparatorsAndUnknownComponents) {
    FakePlatform fs;
    fs.AddFile("\\\\server\\share\\Long Name\\a.txt");
    fs.SetShortName("\\\\server\\share\\Long Name", "LONGNA~1");
    fs.AddFolder("C:\\x~y");  // a long name that holds "~": comes back in its stored case
    EXPECT_EQ(LongPathOf(fs, "\\\\server\\share\\LONGNA~1\\a.txt"), "\\\\server\\share\\Long Name\\a.txt");
    EXPECT_EQ(fs.findLongNameArgs, V{"\\\\server\\share\\LONGNA~1"});
    EXPECT_EQ(LongPathOf(fs, "C:\\X~Y\\"), "C:\\x~y\\");
    EXPECT_EQ(LongPathOf(fs, "C:\\NOPE~1\\MORE~1\\b"), "C:\\NOPE~1\\MORE~1\\b");

    fs.hasShortNames = false;  // a file system without short names is never asked
    fs.findLongNameCalls = 0;
    EXPECT_EQ(LongPathOf(fs, "C:\\X~Y"), "C:\\X~Y");
    EXPECT_EQ(fs.findLongNameCalls, 0);
}

TEST(ShortPathOf, GivesTheShortFormOrItsFailure) {
    FakePlatform fs;
    AddProgramFiles(fs);
    EXPECT_EQ(ShortPathOf(fs, "C:\\Program Files\\Common Files\\a.txt"), "C:\\PROGRA~1\\COMMON~1\\a.txt");
    EXPECT_FALSE(ShortPathOf(fs, "C:\\missing.txt"));
    EXPECT_EQ(ShortPathOf(fs, ""), "");
}

TEST(ToUncPath, AsksEachDriveOnceAndReplacesOnlyItsOwnDrive) {
    FakePlatform fs;
    ShareCache shares;
    fs.driveConnections["Z:"] = "\\\\server\\share";
    EXPECT_EQ(ToUncPath(fs, shares, "C:\\a.txt"), "C:\\a.txt");
    EXPECT_EQ(ToUncPath(fs, shares, "Z:\\a.txt"), "\\\\server\\share\\a.txt");
    // A second drive does not take the first drive's share.
    EXPECT_EQ(ToUncPath(fs, shares, "Y:\\b.txt"), "Y:\\b.txt");
    EXPECT_EQ(ToUncPath(fs, shares, "Z:\\dir\\c.txt"), "\\\\server\\share\\dir\\c.txt");
    EXPECT_EQ(ToUncPath(fs, shares, "C:\\d.txt"), "C:\\d.txt");
    EXPECT_EQ(fs.driveConnectionArgs, (V{"C:", "Z:", "Y:"}));

    EXPECT_EQ(ToUncPath(fs, shares, "Z:"), "\\\\server\\share");  // an item in the drive's root
    EXPECT_EQ(ToUncPath(fs, shares, "Z"), "Z");
    EXPECT_EQ(ToUncPath(fs, shares, ""), "");
    EXPECT_EQ(ToUncPath(fs, shares, "\\\\server\\share\\a"), "\\\\server\\share\\a");
    EXPECT_EQ(fs.driveConnectionCalls, 3);
}

TEST(ToUncPath, AnEmptyVolumeRootIsTheRootMount) {
    // The root mount's text is cut to "" by the root rule; the whole path follows the share.
    struct RootMount : FakePlatform {
        std::optional<VolumeRoot> VolumeRootOf(const std::string&) override { return VolumeRoot{""}; }
    } fs;
    fs.driveConnections[""] = "server:/export";
    ShareCache shares;
    EXPECT_EQ(ToUncPath(fs, shares, "/home/a.txt"), "server:/export/home/a.txt");
    EXPECT_EQ(shares.at(""), "server:/export");
}
