// Command-line texts and path texts of the Windows backend. No Windows header here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kirramo::win32 {

// The argument text of a process's command line (as GetCommandLineW gives it): what
// follows the program's own name and the blanks after it. The name is read as Windows
// reads it: it ends at the first blank (space or tab) outside double quotes, and its
// quotes are not part of it. The blanks that separate the name from the arguments are
// dropped, so they never become an empty first path; everything from the first
// argument on is kept exactly, trailing blanks and quotes included.
std::wstring_view ArgumentTextOf(std::wstring_view commandLine);

// One argument in the form that the standard command-line reading of Windows programs
// (CommandLineToArgvW and the C runtime) turns back into exactly that argument: as it
// is when it holds no blank or quote, otherwise in quotes, with quotes and the
// backslashes before them escaped. Characters that only the command interpreter
// treats specially (& % ^ ( ) !) need nothing, since no interpreter is involved.
std::wstring QuoteArgument(std::wstring_view argument);
// The arguments quoted one by one and joined with single spaces.
std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments);

// Paths from this length on are handed to the system in their extended form.
inline constexpr size_t kExtendedPathFrom = 240;

// The form of a path that the wide file calls accept at any length: an absolute
// drive path longer than the classic limit gets the \\?\ prefix, a UNC path the
// \\?\UNC\ prefix (after the path has been made canonical, since the system does not
// resolve "\.\" or "/" in that form). Short, relative and already extended paths come
// back unchanged.
std::wstring ExtendedPath(std::wstring_view path);
// The ordinary form of a path that may carry an extended prefix.
std::wstring OrdinaryPath(std::wstring_view path);

}  // namespace kirramo::win32
