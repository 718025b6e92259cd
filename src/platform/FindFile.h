// Walks the entries of one folder, one name at a time, with one entry of look-ahead.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace kirramo {

// Text before the first NUL character (the whole text when there is none).
std::string CutAtNul(std::string_view text);

// Readies an entry that a folder listing handed out: its name is cut at its first NUL.
// False for an entry to pass over: "." and ".." (the folder itself and its parent), and
// an empty name, which cannot be joined into a path.
bool TakeListedEntry(EntryInfo& entry);

class FindFile {
public:
    FindFile(Platform& platform, InfoWanted wanted) : platform_(platform), wanted_(wanted) {}

    // Starts a new listing of every entry of the folder (hidden and system entries
    // included, never "." or ".."), closing any listing still open in this object.
    // The folder has no trailing separator; a cut root ("C:" or "") is the root.
    void FileMask(const std::string& folder);
    // The next entry's name, or empty text when there are no more (and from then on).
    std::string NextFile();
    // The five attribute flags of the entry last handed out by NextFile.
    uint32_t Attr() const;
    // Whether the entry last handed out is a folder (false before the first one).
    bool IsDir() const;
    // Everything the listing knows about the entry last handed out.
    const EntryInfo& Current() const { return current_; }

private:
    void AdvanceSearch();

    Platform& platform_;
    InfoWanted wanted_;
    std::unique_ptr<DirReader> search_;
    EntryInfo next_;
    bool hasNext_ = false;
    EntryInfo current_;
};

}  // namespace kirramo
