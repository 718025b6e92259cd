// The paths the Linux program is given, as the core sees them: absolute, and in their
// plain form whatever way they were typed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/posix/PosixPlatform.h"
#include "posix/TempFolder.h"

namespace kirramo::posix {
namespace {

std::vector<std::string> Arguments(const std::vector<std::string>& typed) {
    std::vector<char*> argv{const_cast<char*>("kirramo")};
    for (const std::string& a : typed) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return PosixPlatform(static_cast<int>(argv.size() - 1), argv.data()).ArgumentList();
}

// Trailing "/", "//", "." and ".." are resolved by the text alone, before any form is
// made; relative paths first join the current folder.
TEST(PosixArguments, PathsAreMadePlainByTheirText) {
    testing::TempFolder t;
    ASSERT_FALSE(t.Path().empty());
    const std::string old = std::filesystem::current_path();
    ASSERT_EQ(chdir(t.Path().c_str()), 0);
    const std::string cwd = std::filesystem::current_path();
    const std::string parent = cwd.substr(0, cwd.rfind('/'));
    // A link to a folder elsewhere: ".." after it goes back by the text, not to the
    // parent of the folder it leads to.
    ASSERT_EQ(mkdir("A", 0755), 0);
    ASSERT_EQ(symlink("/usr/share", "link"), 0);

    const struct {
        std::string typed, plain;
    } cases[] = {
        {"/", "/"},
        {"//", "/"},
        {"/.", "/"},
        {"/..", "/"},
        {"/../../etc", "/etc"},
        {"/home/", "/home"},
        {"//home//aiko///", "/home/aiko"},
        {"/home/./aiko/.", "/home/aiko"},
        {"/home/aiko/../mika", "/home/mika"},
        {"/home/aiko/..", "/home"},
        {"/a/b/../../..", "/"},
        {"/a/.../..b/.c/b..", "/a/.../..b/.c/b.."},
        {"/写真 2024/./a b.txt/", "/写真 2024/a b.txt"},
        {"A/", cwd + "/A"},
        {"A//sub1", cwd + "/A/sub1"},
        {"./A/a.txt", cwd + "/A/a.txt"},
        {".", cwd},
        {"./", cwd},
        {"..", parent},
        {"../x/", parent + "/x"},
        {"link/..", cwd},
        {"link/../A", cwd + "/A"},
        {"-x", cwd + "/-x"},
        {"", ""},
    };
    std::vector<std::string> typed, plain;
    for (const auto& c : cases) {
        typed.push_back(c.typed);
        plain.push_back(c.plain);
    }
    const std::vector<std::string> made = Arguments(typed);
    ASSERT_EQ(chdir(old.c_str()), 0);
    ASSERT_EQ(made.size(), plain.size());
    for (size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i], plain[i]) << "typed: " << typed[i];
}

}  // namespace
}  // namespace kirramo::posix
