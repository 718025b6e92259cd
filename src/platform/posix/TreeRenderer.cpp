#include "platform/posix/TreeRenderer.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string_view>

namespace kirramo::posix {

namespace {

constexpr std::string_view kHeaderTitle = "フォルダー パスの一覧";
constexpr std::string_view kHeaderVolume = "ボリューム シリアル番号は 0000-0000 です";
constexpr std::string_view kNoSubfolders = "サブフォルダーは存在しません。";
constexpr std::string_view kInvalidPath = "無効なパスです。";
constexpr std::string_view kBranch = "├─";
constexpr std::string_view kLastBranch = "└─";
constexpr std::string_view kPipe = "│  ";
constexpr std::string_view kBlank = "    ";

// The folders on the way down stay open to this depth, so each subfolder is opened by
// its name alone. Deeper folders are read whole and closed before the walk goes down;
// their subfolders are opened by the path from the deepest open folder. A tree of any
// depth so holds no more than this many folders open.
constexpr size_t kOpenLevels = 16;
// Longest piece of a path handed to one openat.
constexpr size_t kPieceLimit = PATH_MAX - 256;
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// One entry of a folder: its name lies in the level's name pool, NUL-terminated.
struct Entry {
    uint32_t offset;
    uint32_t length;
    bool descend;  // a real folder (not a link) that may be entered
};

// The entries of the folder being listed at one depth. Levels are kept and reused
// from folder to folder, so a walk allocates little beyond the output lines.
struct Level {
    std::string names;
    std::vector<Entry> files;
    std::vector<Entry> folders;
};

unsigned char UpperAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

// Name order: ASCII letters as upper case, other bytes as they are; names equal in
// that order are ordered by their bytes.
bool NameLess(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = UpperAscii(static_cast<unsigned char>(a[i]));
        unsigned char cb = UpperAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

struct FolderKey {
    dev_t dev;
    ino_t ino;
};

class Renderer {
public:
    Renderer(bool withFiles, const std::function<bool(size_t)>& checkpoint, std::vector<std::string>& out)
        : withFiles_(withFiles), checkpoint_(checkpoint), out_(out) {}

    // Lists the open folder `dir` and everything below it, and closes it.
    void Walk(DIR* dir, size_t depth) {
        if (depth == levels_.size()) levels_.emplace_back();
        Level& level = levels_[depth];  // deque: stays in place while deeper levels grow
        Read(dir, level);
        if (depth + 1 == kOpenLevels) anchorFd_ = dirfd(dir);
        if (depth >= kOpenLevels) {
            // Read whole: below the open levels a folder is closed before the walk goes
            // down, so the depth of a tree does not count against the open-file limit.
            closedir(dir);
            dir = nullptr;
        }

        if (withFiles_ && !level.files.empty()) {
            std::string_view indent = level.folders.empty() ? kBlank : kPipe;
            for (const Entry& e : level.files) Emit(indent, Name(level, e));
            Emit(indent, {});
        }
        if (depth == 0 && level.folders.empty()) out_.emplace_back(kNoSubfolders);

        for (size_t i = 0; i < level.folders.size() && !Stopped(); ++i) {
            const Entry& e = level.folders[i];
            const bool last = i + 1 == level.folders.size();
            Emit(last ? kLastBranch : kBranch, Name(level, e));
            if (!e.descend) continue;
            const size_t keepBelow = below_.size();
            if (depth + 1 >= kOpenLevels) {
                if (!below_.empty()) below_ += '/';
                below_ += Name(level, e);
            }
            DIR* child = dir ? OpenChild(dirfd(dir), level.names.data() + e.offset)
                             : OpenBelowAnchor();
            if (child) {
                const size_t keep = prefix_.size();
                prefix_ += last ? kBlank : kPipe;
                Walk(child, depth + 1);
                prefix_.resize(keep);
                ancestors_.pop_back();
            }
            below_.resize(keepBelow);
        }
        if (dir) closedir(dir);
    }

    // Opens the top folder and records it as the first ancestor; nullptr on failure.
    DIR* OpenTop(const std::string& path) {
        int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return Adopt(fd);
    }

private:
    // Whether the listing was asked to stop; it stays stopped once it was.
    bool Stopped() {
        if (!halted_ && checkpoint_ && checkpoint_(out_.size())) halted_ = true;
        return halted_;
    }

    static std::string_view Name(const Level& level, const Entry& e) {
        return {level.names.data() + e.offset, e.length};
    }

    // Turns an open folder descriptor into a listing, unless that folder is already
    // one of the folders being listed (a bind mount of an ancestor).
    DIR* Adopt(int fd) {
        if (fd < 0) return nullptr;
        struct stat st;
        if (fstat(fd, &st) != 0) {
            close(fd);
            return nullptr;
        }
        for (const FolderKey& a : ancestors_) {
            if (a.dev == st.st_dev && a.ino == st.st_ino) {
                close(fd);
                return nullptr;
            }
        }
        DIR* dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            return nullptr;
        }
        ancestors_.push_back({st.st_dev, st.st_ino});
        return dir;
    }

    DIR* OpenChild(int parentFd, const char* name) {
        // O_NOFOLLOW: an entry that became a link since it was read is not followed.
        return Adopt(openat(parentFd, name, kOpenFlags));
    }

    // Opens the folder whose path from the deepest open folder is `below_`, in pieces
    // of whole names where the path is longer than one system call takes.
    DIR* OpenBelowAnchor() {
        std::string_view rest = below_;
        int at = anchorFd_;
        for (;;) {
            size_t cut = rest.size();
            if (cut > kPieceLimit) {
                cut = rest.rfind('/', kPieceLimit);
                if (cut == std::string_view::npos || cut == 0) break;
            }
            piece_.assign(rest.substr(0, cut));
            const bool lastPiece = cut == rest.size();
            const int fd = openat(at, piece_.c_str(), lastPiece ? kOpenFlags : kPassFlags);
            if (at != anchorFd_) close(at);
            if (lastPiece) return Adopt(fd);
            if (fd < 0) return nullptr;
            at = fd;
            rest.remove_prefix(cut + 1);
        }
        if (at != anchorFd_) close(at);
        return nullptr;
    }

    void Read(DIR* dir, Level& level) {
        level.names.clear();
        level.files.clear();
        level.folders.clear();
        const int fd = dirfd(dir);
        while (const dirent* d = readdir(dir)) {
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;

            bool folder = false, descend = false;
            unsigned char type = d->d_type;
            struct stat st;
            if (type == DT_UNKNOWN) {
                if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
                }
            }
            if (type == DT_DIR) {
                folder = descend = true;
            } else if (type == DT_LNK) {
                // A link is shown as what it leads to, but never entered.
                folder = fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            if (!folder && !withFiles_) continue;

            const size_t length = std::strlen(name);
            Entry e{static_cast<uint32_t>(level.names.size()), static_cast<uint32_t>(length), descend};
            level.names.append(name, length + 1);  // keep the NUL for openat
            (folder ? level.folders : level.files).push_back(e);
        }
        auto less = [&level](const Entry& a, const Entry& b) {
            return NameLess(Name(level, a), Name(level, b));
        };
        std::sort(level.files.begin(), level.files.end(), less);
        std::sort(level.folders.begin(), level.folders.end(), less);
    }

    // Adds one line: the current prefix, the mark and the name.
    void Emit(std::string_view mark, std::string_view name) {
        std::string line;
        line.reserve(prefix_.size() + mark.size() + name.size());
        line += prefix_;
        line += mark;
        line += name;
        out_.push_back(std::move(line));
    }

    const bool withFiles_;
    const std::function<bool(size_t)>& checkpoint_;
    bool halted_ = false;
    std::vector<std::string>& out_;
    std::deque<Level> levels_;
    std::vector<FolderKey> ancestors_;
    std::string prefix_;
    int anchorFd_ = -1;   // the deepest folder kept open, while the walk is below it
    std::string below_;   // the path of the folder being opened, from that folder on
    std::string piece_;   // the part of below_ handed to one openat
};

}  // namespace

std::vector<std::string> RenderTree(const std::string& folder, bool withFiles,
                                    const std::function<bool(size_t)>& checkpoint) {
    const std::string path = folder.empty() ? "/" : folder;
    std::vector<std::string> out;
    out.emplace_back(kHeaderTitle);
    out.emplace_back(kHeaderVolume);
    out.push_back(path);

    Renderer renderer(withFiles, checkpoint, out);
    DIR* top = renderer.OpenTop(path);
    if (!top) {
        out.emplace_back(kInvalidPath);
        return out;
    }
    renderer.Walk(top, 0);
    return out;
}

}  // namespace kirramo::posix
