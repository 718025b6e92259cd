// Other forms of the same path: short (8.3), long, and network (share in place of drive).
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "platform/FileSystem.h"

namespace kirramo {

// Shown when the system cannot give the short form of a path. The system gives a count
// of 0 on failure; the message shows that count.
inline constexpr const char* kShortPathFailedMessage = "GetShortPathName Err0";

// The short form of an existing path, or nothing when the system fails (the caller
// then keeps its text and tells the user). An empty text stays empty.
std::optional<std::string> ShortPathOf(FileSystem& files, const std::string& path);

// The path with every component that holds "~" replaced by its stored long name;
// components without "~" stay exactly as they are, and so does every separator.
std::string LongPathOf(FileSystem& files, const std::string& path);

// Network shares found behind volume roots ("Z:" or a mount point) during one run; an
// empty share records a local volume, so each volume is asked once.
using ShareCache = std::unordered_map<std::string, std::string>;

// The path with its volume root ("Z:" or a mount point) replaced by the network share
// behind it, or the path unchanged.
std::string ToUncPath(FileSystem& files, ShareCache& shares, const std::string& path);

}  // namespace kirramo
