// Small process helpers shared by the clipboard owner and the message box, and the
// rule they follow before they fork.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clipboard.h"

namespace kirramo::posix {

class LookupTeam;

// The one rule before this program forks: a child made by fork() has only the thread
// that forked it, and a lock that any other thread held stays held in the child for
// good. So every place that forks asks here first. Stops the helper threads that this
// program started (the look-up thread of the listings, when one is given; a later
// listing starts it again) and answers whether the process now runs on one thread
// alone. False when a thread that the program does not control still runs (or the
// threads cannot be counted): the caller then takes a road without fork.
bool PrepareToFork(LookupTeam* lookups);

// A moment by which something must be done; none: no limit.
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// The bytes of this process's own memory that are in RAM (not those of mapped files):
// what a child forked now would keep of it. SIZE_MAX when unknown.
size_t ResidentOwnBytes();

// Writes all bytes to a pipe or file, each byte once. Where the descriptor would block
// (O_NONBLOCK), waits with poll until it takes more, up to the deadline when one is
// given (a descriptor that blocks in write is not held to it). False with errno set
// when not all was written: a reader that went away (EPIPE, instead of SIGPIPE ending
// this process), the deadline passed (ETIMEDOUT), or the write failed.
bool WriteAll(int fd, const char* data, size_t size, Deadline deadline = std::nullopt);

inline bool WriteAll(int fd, std::string_view text, Deadline deadline = std::nullopt) {
    return WriteAll(fd, text.data(), text.size(), deadline);
}

// The same for a text in pieces, gathered in a buffer of its own so that small pieces
// do not each cost a write; the whole text is never held at once.
bool WriteAll(int fd, const TextPieces& text, Deadline deadline = std::nullopt);

// Reads until end of file. False on a read error.
bool ReadAll(int fd, std::string& out);

// Opens each of the standard descriptors 0, 1 and 2 that is closed, on /dev/null, so
// that no file that the program opens later takes its number (and receives what was
// meant for standard output). Output and error are opened for reading only: what is
// written to a standard output that the caller closed then fails instead of vanishing.
void OpenClosedStandardDescriptors();

// Closes every descriptor from `first` on.
void CloseFrom(int first);

// Points standard input, output and error at /dev/null.
void StdioToDevNull();

// Ends the process with `status` while one of its threads is stuck in a call that does
// not return (a listing on a file system that does not answer). Every descriptor from
// 3 on is closed first: the process's windows (its connection to the display) and the
// process of its progress window go at once, although the process itself ends only
// when the stuck call lets it (a network file system answers such a call with an error
// when the process is killed; a file system in user space waits for its server).
[[noreturn]] void EndWithStuckThread(int status);

// The path of the running program (from /proc/self/exe); empty when unknown.
std::string ProgramPath();

// A message as text on standard error, ended by a line break: where a message box
// goes when there is no display, or when the box could not be shown.
void WriteToStandardError(const std::string& text);

}  // namespace kirramo::posix
