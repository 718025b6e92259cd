// Folder contents: every subfolder at every depth, or the files that match a pattern.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "collect/FormatItem.h"

namespace kirramo {

// Text before the first NUL character (the whole text when there is none).
std::string CutAtNul(std::string_view text);

// Readies an entry that a folder listing handed out: its name is cut at its first NUL.
// False for an entry to pass over: "." and ".." (the folder itself and its parent), and
// an empty name, which cannot be joined into a path.
bool TakeListedEntry(EntryInfo& entry);

// Whether a file name matches a pattern: "*" any run of characters, "?" one
// character, without regard to case; several patterns separated by ";".
bool MatchPattern(std::string_view pattern, std::string_view name);

// Told each time a listing has added lines, so that work on them can begin while the
// walk goes on (the output stage makes their sort keys meanwhile).
class LineObserver {
public:
    virtual ~LineObserver() = default;
    // `lines` as they are now; lines added before stay as they are.
    virtual void LinesAdded(const std::vector<std::string>& lines) = 0;
};

// Appends a line for every subfolder below the selected folder, each folder's line
// directly before its own subfolders' lines. A folder reached again through a link to
// one of its ancestors is not entered again. `base` is the folder's SelectionBase.
// With the context's progress, counts the folders and lines, and stops between entries
// once the run is cancelled (the lines then stay incomplete).
void ListSubfolders(const ItemContext& context, const std::string& base, const std::string& folder,
                    std::vector<std::string>& lines, LineObserver* observer = nullptr);

// The folders whose files a run has added already.
using FolderSet = std::unordered_set<std::string>;

// Appends a line for every file of the folder that matches GFPattern, and with GSub of
// every folder below it. Each folder's files are added once per run (`listed` records
// them). Hidden and system files are left out. Counts and stops as ListSubfolders.
void ListFolderFiles(const ItemContext& context, const std::string& base, const std::string& folder,
                     FolderSet& listed, std::vector<std::string>& lines, LineObserver* observer = nullptr);

}  // namespace kirramo
