// Small process helpers shared by the clipboard owner and the message box.
#pragma once

#include <cstddef>
#include <string>

namespace kirramo::posix {

// True when this process runs on one thread only, so fork() gives a child that may
// do anything the parent could (no lock can be left held by another thread).
bool IsSingleThreaded();

// Writes all bytes to a pipe or file. A reader that went away gives false instead of
// SIGPIPE ending this process.
bool WriteAll(int fd, const char* data, size_t size);

// Reads until end of file. False on a read error.
bool ReadAll(int fd, std::string& out);

// Closes every descriptor from `first` on.
void CloseFrom(int first);

// Points standard input, output and error at /dev/null.
void StdioToDevNull();

// The path of the running program (from /proc/self/exe); empty when unknown.
std::string ProgramPath();

// A message as text on standard error, ended by a line break: where a message box
// goes when there is no display, or when the box could not be shown.
void WriteToStandardError(const std::string& text);

}  // namespace kirramo::posix
