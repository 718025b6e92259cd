// The file-system operations of Win32Platform on real temporary folders: Japanese names
// and names outside cp932, paths beyond 260 characters, hidden entries, drive roots,
// short and long names, and folder identities through links.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/win32/Win32Platform.h"
#include "win32/Win32Testing.h"

namespace kirramo::win32 {
namespace {

using testing::MakeFolder;
using testing::TempFolder;
using testing::WriteBytes;

std::map<std::string, EntryInfo> List(Platform& platform, const std::string& folder, InfoWanted wanted = {}) {
    std::map<std::string, EntryInfo> entries;
    std::unique_ptr<DirReader> reader = platform.OpenDir(folder, wanted);
    EntryInfo e;
    while (reader->Next(e)) entries[e.name] = e;
    return entries;
}

TEST(Win32FileSystem, NamesInAndOutsideTheAnsiCodePageListAndStatAsStored) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring names[] = {L"日本語のファイル.txt", L"한국어.txt", L"\U0001F600 smile.txt", L"Mixed Case.TXT"};
    for (const std::wstring& n : names) ASSERT_TRUE(WriteBytes(temp.Path() + L"\\" + n, "12345"));
    ASSERT_TRUE(MakeFolder(temp.Path() + L"\\フォルダ"));

    std::map<std::string, EntryInfo> listed = List(platform, temp.Utf8(), InfoWanted{true, true, false});
    ASSERT_EQ(listed.size(), 5u);
    for (const std::wstring& n : names) {
        const std::string name = Narrow(n);
        ASSERT_TRUE(listed.count(name)) << name;
        EXPECT_FALSE(listed[name].IsDir());
        EXPECT_EQ(listed[name].size, 5u);
        EXPECT_TRUE(listed[name].hasTimes);
        EXPECT_NE(listed[name].writeTime, kNoTime);

        std::optional<EntryInfo> st = platform.Stat(temp.Utf8() + "\\" + name, InfoWanted{true, true, false});
        ASSERT_TRUE(st) << name;
        EXPECT_EQ(st->name, name);
        EXPECT_EQ(st->size, 5u);
        EXPECT_EQ(st->writeTime, listed[name].writeTime);
    }
    EXPECT_TRUE(listed["フォルダ"].IsDir());
    EXPECT_FALSE(listed["フォルダ"].hasSize);

    // Existence is exact: no wildcard match, no missing entry.
    EXPECT_FALSE(platform.Stat(temp.Utf8() + "\\*.txt", {}));
    EXPECT_FALSE(platform.Stat(temp.Utf8() + "\\missing.txt", {}));
    EXPECT_FALSE(platform.Stat("", {}));
    EXPECT_EQ(List(platform, temp.Utf8() + "\\missing").size(), 0u);

    // The long name comes back in the letter case stored on disk.
    EXPECT_EQ(platform.FindLongName(temp.Utf8() + "\\mixed case.txt"), "Mixed Case.TXT");
    EXPECT_EQ(platform.FindLongName(temp.Utf8() + "\\한국어.txt"), "한국어.txt");
    EXPECT_FALSE(platform.FindLongName(temp.Utf8() + "\\*.txt"));
    EXPECT_FALSE(platform.FindLongName(temp.Utf8() + "\\missing.txt"));
}

TEST(Win32FileSystem, HiddenAndReadOnlyEntriesAreFoundWithTheirFlags) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring hidden = temp.Path() + L"\\secret.txt";
    ASSERT_TRUE(WriteBytes(hidden, "x"));
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    if (!(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN))
        GTEST_SKIP() << "this file system keeps no hidden attribute";

    std::optional<EntryInfo> st = platform.Stat(Narrow(hidden), {});
    ASSERT_TRUE(st);
    EXPECT_EQ(st->attributes & (kAttrHidden | kAttrReadOnly | kAttrDirectory), kAttrHidden | kAttrReadOnly);
    std::map<std::string, EntryInfo> listed = List(platform, temp.Utf8());
    ASSERT_TRUE(listed.count("secret.txt"));
    EXPECT_TRUE(listed["secret.txt"].attributes & kAttrHidden);
}

TEST(Win32FileSystem, DriveRootsStatAsFoldersAndTheCutRootLists) {
    Win32Platform platform(L"C:\\");
    for (const char* root : {"C:\\", "C:", "c:\\"}) {
        std::optional<EntryInfo> st = platform.Stat(root, InfoWanted{false, false, true});
        ASSERT_TRUE(st) << root;
        EXPECT_TRUE(st->IsDir()) << root;
        EXPECT_TRUE(st->id.valid) << root;
    }
    EXPECT_EQ(platform.CutRoot("C:\\"), "C:");
    EXPECT_EQ(platform.CutRoot("C:\\dir"), "C:\\dir");
    std::map<std::string, EntryInfo> listed = List(platform, "C:");
    bool hasWindows = std::any_of(listed.begin(), listed.end(),
                                  [](const auto& kv) { return _stricmp(kv.first.c_str(), "windows") == 0; });
    EXPECT_TRUE(hasWindows);
    EXPECT_FALSE(listed.count("."));
    EXPECT_FALSE(listed.count(".."));
}

TEST(Win32FileSystem, PathsLongerThan260CharactersWorkWithoutShowingAPrefix) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    std::wstring deep = temp.Path();
    for (int i = 0; i < 6; ++i) {
        deep += L"\\長いフォルダの名前" + std::to_wstring(i) + L"_" + std::wstring(40, L'x');
        ASSERT_TRUE(MakeFolder(deep));
    }
    ASSERT_GT(deep.size(), 300u);
    const std::wstring file = deep + L"\\최종 파일.txt";
    ASSERT_TRUE(WriteBytes(file, "abc"));
    const std::string deepUtf8 = Narrow(deep);

    std::optional<EntryInfo> st = platform.Stat(Narrow(file), {});
    ASSERT_TRUE(st);
    EXPECT_EQ(st->size, 3u);
    std::map<std::string, EntryInfo> listed = List(platform, deepUtf8);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.begin()->first, "최종 파일.txt");
    EXPECT_EQ(platform.FindLongName(Narrow(file)), "최종 파일.txt");

    // The folder's identity is there at any depth (the walks need it).
    std::optional<EntryInfo> folder = platform.Stat(deepUtf8, InfoWanted{false, false, true});
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->id.valid);

    // The short form is a path of the ordinary kind that names the same file.
    std::optional<std::string> shortPath = platform.ShortPath(Narrow(file));
    if (shortPath) {
        EXPECT_FALSE(shortPath->starts_with("\\\\?\\"));
        std::optional<EntryInfo> again = platform.Stat(*shortPath, {});
        ASSERT_TRUE(again) << *shortPath;
        EXPECT_EQ(again->size, 3u);
    }
}

TEST(Win32FileSystem, ShortPathOfMissingPathFailsAndOfAnExistingOneNamesIt) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring file = temp.Path() + L"\\A rather long file name.text";
    ASSERT_TRUE(WriteBytes(file, "12"));
    EXPECT_FALSE(platform.ShortPath(temp.Utf8() + "\\missing file.txt"));
    std::optional<std::string> shortPath = platform.ShortPath(Narrow(file));
    ASSERT_TRUE(shortPath);
    std::optional<EntryInfo> st = platform.Stat(*shortPath, {});
    ASSERT_TRUE(st);
    EXPECT_EQ(st->size, 2u);
}

TEST(Win32FileSystem, FolderIdentitiesMatchThroughEveryRouteAndThroughALinkBackUp) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring top = temp.Path() + L"\\top";
    ASSERT_TRUE(MakeFolder(top));
    ASSERT_TRUE(MakeFolder(top + L"\\a"));
    ASSERT_TRUE(MakeFolder(top + L"\\b"));
    const InfoWanted id{false, false, true};

    std::map<std::string, EntryInfo> listed = List(platform, Narrow(top), id);
    std::optional<EntryInfo> a = platform.Stat(Narrow(top + L"\\a"), id);
    ASSERT_TRUE(a && a->id.valid);
    EXPECT_EQ(listed["a"].id, a->id);
    EXPECT_FALSE(listed["a"].id == listed["b"].id);

    // A link from deep inside back to the top is a folder known by the top's identity.
    const std::wstring link = top + L"\\a\\back";
    if (CreateSymbolicLinkW(link.c_str(), top.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged */) &&
        GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::map<std::string, EntryInfo> inner = List(platform, Narrow(top + L"\\a"), id);
        ASSERT_TRUE(inner.count("back"));
        EXPECT_TRUE(inner["back"].IsDir());
        EXPECT_EQ(inner["back"].id, platform.Stat(Narrow(top), id)->id);
    }
}

// Under Wine the harness prepares a Unix link back up the tree (Wine cannot make one),
// and names the top folder in KIRRAMO_TEST_LINK_LOOP: top\a\back leads to top.
TEST(Win32FileSystem, ALinkBackUpPreparedOutsideHasTheIdentityOfItsTarget) {
    wchar_t top[1024];
    DWORD n = GetEnvironmentVariableW(L"KIRRAMO_TEST_LINK_LOOP", top, 1024);
    if (n == 0 || n >= 1024) GTEST_SKIP() << "no prepared link";
    Win32Platform platform(top);
    const InfoWanted id{false, false, true};
    std::map<std::string, EntryInfo> inner = List(platform, Narrow(top) + "\\a", id);
    ASSERT_TRUE(inner.count("back"));
    EXPECT_TRUE(inner["back"].IsDir());
    std::optional<EntryInfo> target = platform.Stat(Narrow(top), id);
    ASSERT_TRUE(target && target->id.valid);
    EXPECT_EQ(inner["back"].id, target->id);
    EXPECT_FALSE(inner["back"].id == platform.Stat(Narrow(top) + "\\a", id)->id);
}

TEST(Win32FileSystem, VolumeRootsAreDriveLettersAndLocalDrivesHaveNoShare) {
    Win32Platform platform(L"C:\\");
    EXPECT_EQ(platform.VolumeRootOf("C:\\dir\\a.txt")->key, "C:");
    EXPECT_EQ(platform.VolumeRootOf("z:")->key, "z:");
    EXPECT_FALSE(platform.VolumeRootOf("\\\\server\\share\\a.txt"));
    EXPECT_FALSE(platform.VolumeRootOf("1:\\x"));
    EXPECT_FALSE(platform.VolumeRootOf("C"));
    EXPECT_EQ(platform.DriveConnection(VolumeRoot{"C:"}), "");
}

}  // namespace
}  // namespace kirramo::win32
