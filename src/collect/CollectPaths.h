// The collection run: selected paths in, one text on the clipboard out.
#pragma once

#include <string>
#include <vector>

#include "collect/OutputSort.h"
#include "collect/RunProgress.h"
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

// How a run ended; the Linux program's exit status.
enum RunOutcome : int {
    kRunPlaced = 0,       // the text is in its place
    kRunPathMissing = 1,  // a selected path does not exist: the paths stopped there, and
                          // the lines gathered before it were placed
    kRunNotPlaced = 2,    // the text could not be placed
    kRunCancelled = 5,    // the run was stopped: nothing was placed, the clipboard keeps
                          // what it had (3 is the status of another instance's start)
};

// The output stage: sorts the lines (unless the last mode was a tree) with the sorter
// that has seen them while they were collected, joins them with CR LF, adds the final
// line break, applies upper case, "\" to "/" and " " to "%20", and puts the text on the
// clipboard, trying again while another program holds it (not where the place failed
// for good); tells the user why when it could not. `lines` starts with the empty
// placeholder. True when the text was placed.
bool PlaceLines(const OptionSet& options, Platform& platform, const std::vector<std::string>& lines,
                ItemMode lastMode, OutputSorter& sorter);

// The whole run with the given options, and how it ended. With a driver the collection
// runs as the driver runs it (off the thread that reports its progress) and can be
// cancelled; without one it runs here. The clipboard is touched only when the text is
// placed, so a cancelled run leaves it as it was. Messages are shown on this thread
// after the collection, except the short-form failure of a Windows path, which is shown
// where it happens: on the collection's thread when a driver runs it (the Windows
// driver shows it there owned by no window, and the run waits for its OK).
RunOutcome RunCollectPaths(const OptionSet& options, Platform& platform, RunDriver* driver = nullptr);

// The same; true when the text reached the clipboard (also when a missing path
// stopped the run after some lines).
bool CollectPaths(const OptionSet& options, Platform& platform);

}  // namespace kirramo
