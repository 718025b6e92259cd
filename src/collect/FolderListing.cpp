#include "collect/FolderListing.h"

#include <deque>
#include <exception>
#include <memory>

#include "collect/FormatItem.h"
#include "collect/Utf8.h"

namespace kirramo {

std::string CutAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

bool TakeListedEntry(EntryInfo& entry) {
    std::string& name = entry.name;
    if (name.find('\0') != std::string::npos) name = CutAtNul(name);
    return !name.empty() && name != "." && name != "..";
}

namespace {

// A ";"-separated list of wildcard patterns, decoded and case-folded once so that a
// listing of many files does not parse the pattern again for each name.
class PatternList {
public:
    explicit PatternList(std::string_view text) {
        size_t start = 0;
        for (;;) {
            size_t cut = text.find(';', start);
            std::string_view piece =
                text.substr(start, cut == std::string_view::npos ? text.npos : cut - start);
            size_t b = piece.find_first_not_of(" \t");
            if (b != std::string_view::npos) {
                piece = piece.substr(b, piece.find_last_not_of(" \t") - b + 1);
                // "*.*" stands for every file, names without a dot included.
                if (piece == "*.*") matchAll_ = true;
                pieces_.push_back(Fold(piece));
            }
            if (cut == std::string_view::npos) break;
            start = cut + 1;
        }
        if (pieces_.empty()) matchAll_ = true;  // no pattern at all means "*.*"
    }

    bool Matches(std::string_view name) const {
        if (matchAll_) return true;
        const std::u32string folded = Fold(name);
        const bool noExtension = folded.find(U'.') == std::u32string::npos;
        for (const std::u32string& piece : pieces_) {
            if (Glob(piece, folded)) return true;
            // A pattern that ends in "." asks for names without an extension, as the
            // Windows file list reads it: "*." lists "README", not "a.txt".
            if (noExtension && piece.size() > 1 && piece.back() == U'.' &&
                Glob(std::u32string_view(piece).substr(0, piece.find_last_not_of(U'.') + 1), folded))
                return true;
        }
        return false;
    }

private:
    static std::u32string Fold(std::string_view text) {
        std::u32string out;
        out.reserve(text.size());
        for (size_t pos = 0; pos < text.size();) out += utf8::FoldCase(utf8::Next(text, pos));
        return out;
    }

    // "*" any run of characters (none included), "?" exactly one character.
    static bool Glob(std::u32string_view pat, std::u32string_view s) {
        size_t p = 0, i = 0, starP = std::u32string::npos, starI = 0;
        while (i < s.size()) {
            if (p < pat.size() && (pat[p] == U'?' || pat[p] == s[i])) {
                ++p;
                ++i;
            } else if (p < pat.size() && pat[p] == U'*') {
                starP = p++;
                starI = i;
            } else if (starP != std::u32string::npos) {
                p = starP + 1;
                i = ++starI;
            } else {
                return false;
            }
        }
        while (p < pat.size() && pat[p] == U'*') ++p;
        return p == pat.size();
    }

    std::vector<std::u32string> pieces_;
    bool matchAll_ = false;
};

// One walk below a selected folder: what every level needs, and the identities of the
// folders on the way down, so that a link back to one of them is not entered.
struct Walk {
    const ItemContext& context;
    const std::string& base;
    FileSystem& files;
    std::vector<std::string>& lines;
    LineObserver* observer;
    RunProgress* progress;
    InfoWanted wanted;
    char sep;
    std::vector<FileId> ancestors;
    // The entries read at each depth. A level's entries are reused from folder to
    // folder (names keep their storage), so a walk allocates little per entry; a deque
    // keeps each level in place while deeper ones are added.
    std::deque<std::vector<EntryInfo>> levels;
    std::string path;  // the path of the file being formatted

    // `descends`: the walk goes below the selected folder, so it needs folder identities.
    Walk(const ItemContext& c, const std::string& b, std::vector<std::string>& l, LineObserver* o,
         const std::string& selected, bool descends)
        : context(c), base(b), files(c.files), lines(l), observer(o), progress(c.progress),
          wanted(WantedFor(c.options)),
          sep(c.files.Separator()) {
        if (!descends) return;
        wanted.id = true;
        InfoWanted idOnly;
        idOnly.id = true;
        if (std::optional<EntryInfo> top = files.Stat(selected, idOnly)) ancestors.push_back(top->id);
    }

    bool IsAncestor(const FileId& id) const {
        for (const FileId& a : ancestors)
            if (a == id) return true;
        return false;
    }

    // Reads every entry of a folder (only its folders when foldersOnly) into the
    // level's entries and gives their number. The listing is read to its end and
    // closed before the caller descends, so a deep tree holds one open listing at a time.
    // A cancelled run stops reading; the entries read so far are given.
    size_t ReadEntries(const std::string& folder, bool foldersOnly, size_t depth) {
        if (depth == levels.size()) levels.emplace_back();
        std::vector<EntryInfo>& level = levels[depth];
        if (Cancelled()) return 0;
        if (progress) progress->EnterFolder(folder);
        std::unique_ptr<DirReader> reader = files.OpenDir(folder, wanted);
        if (!reader) return 0;
        size_t count = 0;
        for (;;) {
            if (Cancelled()) break;
            if (count == level.size()) level.emplace_back();
            EntryInfo& entry = level[count];
            if (!reader->Next(entry)) break;
            if (!TakeListedEntry(entry) || (foldersOnly && !entry.IsDir())) continue;
            ++count;
        }
        return count;
    }

    std::string Join(const std::string& folder, const std::string& name) const {
        std::string joined;
        joined.reserve(folder.size() + 1 + name.size());
        joined += folder;
        joined += sep;
        joined += name;
        return joined;
    }

    void Added() {
        if (observer) observer->LinesAdded(lines);
        // Less the run's empty first line.
        if (progress && !lines.empty()) progress->SetLines(lines.size() - 1);
    }

    bool Cancelled() const { return progress && progress->Cancelled(); }
};

void SubfoldersOf(Walk& walk, const std::string& folder, size_t depth) {
    const size_t count = walk.ReadEntries(folder, true, depth);
    const std::vector<EntryInfo>& entries = walk.levels[depth];
    for (size_t i = 0; i < count && !walk.Cancelled(); ++i) {
        const EntryInfo& entry = entries[i];
        std::string path = walk.Join(folder, entry.name);
        walk.lines.push_back(FormatItem(walk.context, walk.base, path, entry));
        walk.Added();
        if ((entry.attributes & kAttrLink) != 0 || walk.IsAncestor(entry.id)) continue;
        walk.ancestors.push_back(entry.id);
        SubfoldersOf(walk, path, depth + 1);
        walk.ancestors.pop_back();
    }
}

// Adds the lines of a folder's matching files once per run, from entries already read.
// Hidden and system files are left out. A line that cannot be built is left out too.
void AddPatternFiles(Walk& walk, const PatternList& patterns, FolderSet& listed, const std::string& folder,
                     const std::vector<EntryInfo>& entries, size_t count) {
    if (!listed.insert(folder).second) return;
    std::string& path = walk.path;
    path.assign(folder);
    path += walk.sep;
    const size_t base = path.size();
    for (size_t i = 0; i < count; ++i) {
        const EntryInfo& entry = entries[i];
        if (entry.IsDir() || (entry.attributes & (kAttrHidden | kAttrSystem)) != 0) continue;
        if (!patterns.Matches(entry.name)) continue;
        path.resize(base);
        path += entry.name;
        try {
            walk.lines.push_back(FormatItem(walk.context, walk.base, path, entry));
        } catch (const std::exception&) {
        }
    }
    walk.Added();
}

void FilesOf(Walk& walk, const PatternList& patterns, FolderSet& listed, const std::string& folder,
             size_t depth) {
    const bool sub = walk.context.options.GSub;
    const size_t count = walk.ReadEntries(folder, false, depth);
    const std::vector<EntryInfo>& entries = walk.levels[depth];
    bool added = false;
    for (size_t i = 0; i < count && !walk.Cancelled(); ++i) {
        const EntryInfo& entry = entries[i];
        if (entry.IsDir() && sub) {
            if ((entry.attributes & kAttrLink) != 0 || walk.IsAncestor(entry.id)) continue;
            walk.ancestors.push_back(entry.id);
            FilesOf(walk, patterns, listed, walk.Join(folder, entry.name), depth + 1);
            walk.ancestors.pop_back();
        } else if (!added) {
            // The folder's own files join the lines where the walk first meets an
            // entry that it does not descend into.
            added = true;
            AddPatternFiles(walk, patterns, listed, folder, entries, count);
        }
    }
}

}  // namespace

bool MatchPattern(std::string_view pattern, std::string_view name) {
    return PatternList(pattern).Matches(name);
}

void ListSubfolders(const ItemContext& context, const std::string& base, const std::string& folder,
                    std::vector<std::string>& lines, LineObserver* observer) {
    Walk walk(context, base, lines, observer, folder, true);
    SubfoldersOf(walk, context.files.CutRoot(folder), 0);
}

void ListFolderFiles(const ItemContext& context, const std::string& base, const std::string& folder,
                     FolderSet& listed, std::vector<std::string>& lines, LineObserver* observer) {
    Walk walk(context, base, lines, observer, folder, context.options.GSub);
    PatternList patterns(context.options.GFPattern);
    FilesOf(walk, patterns, listed, context.files.CutRoot(folder), 0);
}

}  // namespace kirramo
