// The collection run: selected paths in, one text on the clipboard out.
#pragma once

#include <string>
#include <vector>

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

// How one selected path is handled.
enum ItemMode : int {
    kModeItem = 0,        // one item line
    kModeSubfolders = 1,  // subfolder names
    kModeFolderFiles = 2, // files that match the pattern
    kModeTreeFolders = 3, // tree of the folders
    kModeTreeFiles = 4,   // tree with files
};

ItemMode ClassifyPath(const OptionSet& options, const EntryInfo& entry);

// The message shown when a selected path does not exist.
std::string MissingPathMessage(const std::vector<std::string>& paths);

// The output stage: sorts the lines (unless the last mode was a tree), joins them with
// CR LF, adds the final line break and applies upper case, "\" to "/" and " " to "%20".
// `lines` starts with the empty placeholder.
std::string BuildOutputText(Session& session, Platform& platform, std::vector<std::string>& lines,
                            ItemMode lastMode);

// The whole run. Returns true when the text reached the clipboard.
bool CollectPaths(Session& session, Platform& platform);

}  // namespace kirramo
