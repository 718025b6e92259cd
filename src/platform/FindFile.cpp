#include "platform/FindFile.h"

namespace kirramo {

std::string CutAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

bool TakeListedEntry(EntryInfo& entry) {
    std::string& name = entry.name;
    if (name.find('\0') != std::string::npos) name = CutAtNul(name);
    return !name.empty() && name != "." && name != "..";
}

void FindFile::FileMask(const std::string& folder) {
    search_.reset();  // close the earlier listing before a new one is opened
    hasNext_ = false;
    current_ = EntryInfo();
    search_ = platform_.OpenDir(folder, wanted_);
    AdvanceSearch();
}

void FindFile::AdvanceSearch() {
    hasNext_ = false;
    if (!search_) return;
    while (search_->Next(next_)) {
        // An empty name would end the listing early (NextFile's end mark); it is passed
        // over with "." and "..".
        if (!TakeListedEntry(next_)) continue;
        hasNext_ = true;
        return;
    }
    search_.reset();  // exhausted: the listing is closed at once
}

std::string FindFile::NextFile() {
    if (!hasNext_) return {};
    current_ = std::move(next_);
    next_ = EntryInfo();
    AdvanceSearch();
    return current_.name;
}

uint32_t FindFile::Attr() const {
    return current_.attributes &
           (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
}

bool FindFile::IsDir() const { return current_.IsDir(); }

}  // namespace kirramo
