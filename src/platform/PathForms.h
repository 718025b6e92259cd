// Other forms of the same path: short (8.3), long, and network (share in place of drive).
#pragma once

#include <optional>
#include <string>

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

// The short form of an existing path. On failure shows "GetShortPathName Err0" and
// gives nothing, so the caller keeps its text.
std::optional<std::string> ShortPathOf(Platform& platform, const std::string& path);

// The path with every component that holds "~" replaced by its stored long name;
// components without "~" stay exactly as they are, and so does every separator.
std::string LongPathOf(Platform& platform, const std::string& path);

// The path with its volume root ("Z:" or a mount point) replaced by the network share
// behind it, or the path unchanged. The share is remembered per volume root.
std::string ToUncPath(Session& session, Platform& platform, const std::string& path);

}  // namespace kirramo
