// The collection run: selected paths in, one text on the clipboard out.
#pragma once

#include <string>
#include <vector>

#include "collect/OutputSort.h"
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

// The message shown when a selected path does not exist: the selected paths, the first
// 20 of them, and a line that counts the rest.
std::string MissingPathMessage(const std::vector<std::string>& paths);

// The output stage: sorts the lines (unless the last mode was a tree) with the sorter
// that has seen them while they were collected, joins them with CR LF, adds the final
// line break, applies upper case, "\" to "/" and " " to "%20", and puts the text on the
// clipboard, trying again while another program holds it; tells the user when it
// could not. `lines` starts with the empty placeholder. True when the text was placed.
bool PlaceLines(const OptionSet& options, Platform& platform, const std::vector<std::string>& lines,
                ItemMode lastMode, OutputSorter& sorter);

// The whole run with the given options. Returns true when the text reached the clipboard.
bool CollectPaths(const OptionSet& options, Platform& platform);

}  // namespace kirramo
