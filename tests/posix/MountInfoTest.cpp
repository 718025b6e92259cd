// Reading mountinfo text: which mount holds a path, and the share behind network mounts.
#include <gtest/gtest.h>

#include "platform/posix/PosixPlatform.h"

namespace kirramo::posix {
namespace {

const char kSample[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 0:40 / /mnt/share rw,relatime shared:12 - cifs //fs01/共有 rw,vers=3.1.1\n"
    "31 22 0:41 / /mnt/share\\040two rw shared:13 master:2 - smb3 //fs02/with\\040blank rw\n"
    "32 22 0:42 / /net/home rw - nfs4 nas:/export/home rw,vers=4.2\n"
    "33 22 0:40 /sub/dir /home/aiko/work rw - cifs //fs01/共有 rw\n"
    "34 22 0:43 / /mnt/sharex rw - nfs old:/srv rw\n"
    "garbage line\n"
    "35 22 0:44 / relative rw - tmpfs tmpfs rw\n"
    "36 22 0:45 / /mnt/share rw - tmpfs tmpfs rw";  // mounted over the cifs mount, no final LF

TEST(MountInfo, ParsesFieldsAndUndoesEscapes) {
    auto mounts = ParseMountInfo(kSample);
    ASSERT_EQ(mounts.size(), 7u);  // the garbage and the relative mount point are skipped
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[0].source, "/dev/sda1");
    EXPECT_EQ(mounts[1].source, "//fs01/共有");
    EXPECT_EQ(mounts[2].mountPoint, "/mnt/share two");  // optional fields before "-"
    EXPECT_EQ(mounts[2].fsType, "smb3");
    EXPECT_EQ(mounts[2].source, "//fs02/with blank");
    EXPECT_EQ(mounts[4].root, "/sub/dir");
    EXPECT_EQ(mounts[6].fsType, "tmpfs");

    EXPECT_EQ(ParseMountInfo("1 0 0:1 / /a\\134b\\011c rw - ext4 x rw\n")[0].mountPoint, "/a\\b\tc");
    EXPECT_TRUE(ParseMountInfo("").empty());
}

TEST(MountInfo, ShareOfNetworkMountsOnly) {
    auto m = ParseMountInfo(kSample);
    EXPECT_EQ(ShareOfMount(m[0]), "");
    EXPECT_EQ(ShareOfMount(m[1]), "//fs01/共有");
    EXPECT_EQ(ShareOfMount(m[2]), "//fs02/with blank");
    EXPECT_EQ(ShareOfMount(m[3]), "nas:/export/home");
    EXPECT_EQ(ShareOfMount(m[4]), "//fs01/共有/sub/dir");  // part of a share mounted
    EXPECT_EQ(ShareOfMount(m[5]), "old:/srv");
    EXPECT_EQ(ShareOfMount(m[6]), "");
    EXPECT_EQ(ShareOfMount({"/sub", "/x", "cifs", "//s/share/sub"}), "//s/share/sub");
}

TEST(MountInfo, LongestWholeComponentMountPointHoldsThePath) {
    auto m = ParseMountInfo(kSample);
    auto point = [&](std::string_view path) {
        const MountEntry* e = MountOfPath(m, path);
        return e ? e->mountPoint + " " + e->fsType : std::string("none");
    };
    EXPECT_EQ(point("/home/aiko/a.txt"), "/ ext4");
    EXPECT_EQ(point("/"), "/ ext4");
    EXPECT_EQ(point("/mnt/share/a.txt"), "/mnt/share tmpfs");  // the top one of two
    EXPECT_EQ(point("/mnt/share"), "/mnt/share tmpfs");
    EXPECT_EQ(point("/mnt/sharex/a"), "/mnt/sharex nfs");
    EXPECT_EQ(point("/mnt/shar"), "/ ext4");
    EXPECT_EQ(point("/mnt/share two/文書.doc"), "/mnt/share two smb3");
    EXPECT_EQ(point("/home/aiko/work/x"), "/home/aiko/work cifs");
    EXPECT_EQ(point("/home/aiko/workshop"), "/ ext4");
    EXPECT_EQ(point("relative/path"), "none");
    EXPECT_EQ(point(""), "none");
}

TEST(MountInfo, PlatformGivesMountPointsAsVolumeRoots) {
    PosixPlatform p(0, nullptr);
    auto proc = p.VolumeRootOf("/proc/self/status");
    ASSERT_TRUE(proc);
    EXPECT_EQ(proc->key, "/proc");
    EXPECT_EQ(p.DriveConnection(*proc), "");
    auto root = p.VolumeRootOf("/no-such-folder-here");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->key, "");  // the root mount, cut like a selected root
    EXPECT_FALSE(p.VolumeRootOf("relative"));
}

}  // namespace
}  // namespace kirramo::posix
