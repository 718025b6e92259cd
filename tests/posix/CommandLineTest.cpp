// The Linux program's options: what each command line asks for, and which arguments
// remain as paths for the backend to make absolute.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/PosixPlatform.h"

namespace kirramo::posix {
namespace {

using Answer = CommandLine::Answer;
using Args = std::vector<std::string>;

TEST(PosixCommandLine, OptionsAreTakenOutBeforeThePaths) {
    const struct {
        Args arguments;
        Answer answer;
        LaunchRequest launch;
        Args paths;
        std::string wrong;
        std::string conflicting;
    } cases[] = {
        {{}, Answer::None, LaunchRequest::Keys, {}, "", ""},
        {{"/a", "b c", ""}, Answer::None, LaunchRequest::Keys, {"/a", "b c", ""}, "", ""},
        {{"--names", "/a", "/b"}, Answer::None, LaunchRequest::Names, {"/a", "/b"}, "", ""},
        {{"--paths", "/a"}, Answer::None, LaunchRequest::Paths, {"/a"}, "", ""},
        {{"--window"}, Answer::None, LaunchRequest::Window, {}, "", ""},
        // Wherever it stands before "--", and the same option twice is no clash.
        {{"/a", "--names", "/b", "--names"}, Answer::None, LaunchRequest::Names, {"/a", "/b"}, "", ""},
        // "--" ends the options: what follows is a path, whatever it looks like.
        {{"--paths", "--", "-x", "--names", "--", "/a"},
         Answer::None,
         LaunchRequest::Paths,
         {"-x", "--names", "--", "/a"},
         "",
         ""},
        {{"--", "--help"}, Answer::None, LaunchRequest::Keys, {"--help"}, "", ""},
        {{"--help"}, Answer::Help, LaunchRequest::Keys, {}, "", ""},
        {{"--names", "/a", "--help"}, Answer::Help, LaunchRequest::Names, {"/a"}, "", ""},
        {{"--version", "--help"}, Answer::Help, LaunchRequest::Keys, {}, "", ""},
        {{"--version"}, Answer::Version, LaunchRequest::Keys, {}, "", ""},
        // Not understood: a relative name with "-" before "--", a short form, a value,
        // a near miss. The first one is named, and it wins over --help.
        {{"-x", "--bogus"}, Answer::WrongOption, LaunchRequest::Keys, {}, "-x", ""},
        {{"-"}, Answer::WrongOption, LaunchRequest::Keys, {}, "-", ""},
        {{"--help", "-h"}, Answer::WrongOption, LaunchRequest::Keys, {}, "-h", ""},
        {{"--names=1"}, Answer::WrongOption, LaunchRequest::Keys, {}, "--names=1", ""},
        {{"--Names"}, Answer::WrongOption, LaunchRequest::Keys, {}, "--Names", ""},
        {{"/a", "---"}, Answer::WrongOption, LaunchRequest::Keys, {"/a"}, "---", ""},
        // Two launches that exclude each other.
        {{"--names", "--paths"}, Answer::WrongOption, LaunchRequest::Paths, {}, "--paths", "--names"},
        {{"--window", "/a", "--names"}, Answer::WrongOption, LaunchRequest::Names, {"/a"}, "--names", "--window"},
    };
    for (const auto& c : cases) {
        std::string typed;
        for (const std::string& a : c.arguments) typed += "[" + a + "]";
        const CommandLine line = ReadCommandLine(c.arguments);
        EXPECT_EQ(line.answer, c.answer) << typed;
        if (c.answer != Answer::WrongOption) EXPECT_EQ(line.launch, c.launch) << typed;
        EXPECT_EQ(line.paths, c.paths) << typed;
        EXPECT_EQ(line.wrong, c.wrong) << typed;
        EXPECT_EQ(line.conflicting, c.conflicting) << typed;
    }
}

}  // namespace
}  // namespace kirramo::posix
