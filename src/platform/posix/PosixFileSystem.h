// Entries of the Linux file system as the core sees them: Stat of one path and the
// listing of one folder, for paths of any length.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace kirramo::posix {

// Ticks of a Unix time (seconds and nanoseconds since 1970-01-01 UTC).
FileTicks TicksFromUnix(int64_t seconds, int64_t nanoseconds);

// The entry a path names; a symbolic link counts as what it points to, and a link
// whose target is missing as a file. "" stands for "/". Paths longer than the
// system's limit are reached one piece at a time.
std::optional<EntryInfo> StatPath(const std::string& path, InfoWanted wanted);

// A listing of a folder's entries ("" is "/"), empty when the folder cannot be read.
std::unique_ptr<DirReader> OpenFolder(const std::string& folder, InfoWanted wanted);

// Listings share the look-ups of many entries with a second thread; this ends that
// thread, so that the program is back to the threads it had (a later listing starts
// it again).
void StopSharedLookups();

// The last component of a path ("" for "/").
std::string_view LastComponent(std::string_view path);

}  // namespace kirramo::posix
