#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kirramo::posix {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600;

// Longest piece of a path handed to one system call when a path is walked in pieces.
constexpr size_t kPieceLimit = PATH_MAX - 256;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : fd_(o.Release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            Reset();
            fd_ = o.Release();
        }
        return *this;
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// What one stat call tells about an entry.
struct Meta {
    mode_t mode = 0;
    uint64_t size = 0;
    uint64_t dev = 0, ino = 0;
    int64_t mtimeSec = 0, mtimeNsec = 0;
    int64_t btimeSec = 0, btimeNsec = 0;
    bool hasBtime = false;
};

// statx where the kernel has it (for the birth time), else fstatat. Sandboxes that
// refuse statx are remembered, so the refusal costs one call only.
std::atomic<bool> statxMissing{false};

bool StatAt(int dirfd, const char* name, bool follow, bool wantBirth, Meta& m) {
    int flags = AT_NO_AUTOMOUNT | (follow ? 0 : AT_SYMLINK_NOFOLLOW);
    if (!statxMissing.load(std::memory_order_relaxed)) {
        struct statx sx;
        unsigned mask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME;
        if (wantBirth) mask |= STATX_BTIME;
        if (statx(dirfd, name, flags, mask, &sx) == 0) {
            m.mode = sx.stx_mode;
            m.size = sx.stx_size;
            m.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            m.ino = sx.stx_ino;
            m.mtimeSec = sx.stx_mtime.tv_sec;
            m.mtimeNsec = sx.stx_mtime.tv_nsec;
            m.hasBtime = (sx.stx_mask & STATX_BTIME) != 0;
            if (m.hasBtime) {
                m.btimeSec = sx.stx_btime.tv_sec;
                m.btimeNsec = sx.stx_btime.tv_nsec;
            }
            return true;
        }
        if (errno != ENOSYS && errno != EPERM) return false;
        statxMissing.store(true, std::memory_order_relaxed);
    }
    struct stat st;
    if (fstatat(dirfd, name, &st, flags) != 0) return false;
    m.mode = st.st_mode;
    m.size = static_cast<uint64_t>(st.st_size);
    m.dev = st.st_dev;
    m.ino = st.st_ino;
    m.mtimeSec = st.st_mtim.tv_sec;
    m.mtimeNsec = st.st_mtim.tv_nsec;
    m.hasBtime = false;
    return true;
}

// Stat that counts a link with a missing (or unreachable) target as the link itself.
bool StatEntry(int dirfd, const char* name, bool wantBirth, Meta& m) {
    if (StatAt(dirfd, name, true, wantBirth, m)) return true;
    if (errno == ENAMETOOLONG) return false;
    return StatAt(dirfd, name, false, wantBirth, m);
}

void FillFromMeta(const Meta& m, EntryInfo& e) {
    if (S_ISDIR(m.mode)) {
        e.attributes |= kAttrDirectory;
    } else {
        e.size = S_ISREG(m.mode) ? m.size : 0;
        e.hasSize = true;
    }
    if ((m.mode & S_IWUSR) == 0) e.attributes |= kAttrReadOnly;
    e.writeTime = TicksFromUnix(m.mtimeSec, m.mtimeNsec);
    e.creationTime = m.hasBtime ? TicksFromUnix(m.btimeSec, m.btimeNsec) : e.writeTime;
    e.hasTimes = true;
    e.id.volume = m.dev;
    e.id.index = m.ino;
    e.id.valid = true;
}

bool IsHiddenName(std::string_view name) {
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

// Opens a folder by walking its path in pieces of whole components, each short enough
// for one system call; used when the whole path is longer than the system's limit.
// The last piece is opened with the given flags, the others only as a place to go on.
Fd OpenInPieces(const std::string& path, int lastFlags) {
    size_t pos = 0;
    Fd at;
    if (!path.empty() && path[0] == '/') {
        at = Fd(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!at.Valid()) return Fd();
        while (pos < path.size() && path[pos] == '/') ++pos;
    } else {
        at = Fd(open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!at.Valid()) return Fd();
    }
    if (pos >= path.size()) return Fd(openat(at.Get(), ".", lastFlags | O_DIRECTORY | O_CLOEXEC));
    while (pos < path.size()) {
        // Take whole components while the piece stays below the limit.
        size_t end = pos;
        while (end < path.size()) {
            size_t next = path.find('/', end);
            if (next == std::string::npos) next = path.size();
            if (next - pos > kPieceLimit && end > pos) break;
            end = next;
            while (end < path.size() && path[end] == '/') ++end;
        }
        bool last = end >= path.size();
        std::string piece = path.substr(pos, end - pos);
        int flags = (last ? lastFlags : O_PATH) | O_DIRECTORY | O_CLOEXEC;
        Fd next(openat(at.Get(), piece.c_str(), flags));
        if (!next.Valid()) return Fd();
        at = std::move(next);
        pos = end;
    }
    return at;
}

// The folder part and the last component of a path, for a look-up relative to the folder.
void SplitLast(const std::string& path, std::string& parent, std::string& last) {
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos) {
        parent = ".";
        last = path.substr(0, end);
        return;
    }
    last = path.substr(slash + 1, end - slash - 1);
    size_t pend = slash;
    while (pend > 0 && path[pend - 1] == '/') --pend;
    parent = pend == 0 ? "/" : path.substr(0, pend);
}

// The buffer a listing reads its entries into. Listings come one after another, so the
// last buffer given back is kept for the next one instead of being freed.
class EntryBuffer {
public:
    static constexpr size_t kSize = 32 * 1024;

    EntryBuffer() {
        if (spare_) data_ = std::move(spare_);
        else data_ = std::make_unique<char[]>(kSize);
    }
    ~EntryBuffer() {
        if (!spare_) spare_ = std::move(data_);
    }
    EntryBuffer(const EntryBuffer&) = delete;
    EntryBuffer& operator=(const EntryBuffer&) = delete;
    char* Data() { return data_.get(); }

private:
    std::unique_ptr<char[]> data_;
    static thread_local std::unique_ptr<char[]> spare_;
};

thread_local std::unique_ptr<char[]> EntryBuffer::spare_;

}  // namespace

// The helper thread of a LookupTeam.
class LookupTeam::Helper {
public:
    Helper() : thread_([this] { Loop(); }) {}
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    void RunTogether(Job& job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            current_ = &job;
            ++generation_;
        }
        wake_.notify_one();
        Work(job);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            current_ = nullptr;  // the helper takes this job no more
        }
        // The helper may still be in its last block.
        while (busy_.load(std::memory_order_acquire)) std::this_thread::yield();
    }

    static void Work(Job& job) {
        for (;;) {
            const size_t from = job.next.fetch_add(kBlock, std::memory_order_relaxed);
            if (from >= job.count) return;
            const size_t to = std::min(job.count, from + kBlock);
            for (size_t i = from; i < to; ++i) job.work(job.context, i);
        }
    }

private:
    static constexpr size_t kBlock = 4;

    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        uint64_t seen = 0;
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || (current_ && generation_ != seen); });
            if (stopping_) return;
            seen = generation_;
            Job* job = current_;
            busy_.store(true, std::memory_order_relaxed);  // under the lock: the caller sees it
            lock.unlock();
            Work(*job);
            busy_.store(false, std::memory_order_release);
            lock.lock();
        }
    }

    // Declared before the thread, which uses them from its first moment.
    std::mutex mutex_;
    std::condition_variable wake_;
    Job* current_ = nullptr;
    uint64_t generation_ = 0;
    bool stopping_ = false;
    std::atomic<bool> busy_{false};
    std::thread thread_;
};

namespace {

// Reads a folder's entries straight from the system (getdents64), many per call, and
// looks up the entries of each read that need it, on two threads when they are many.
class PosixDirReader final : public DirReader {
public:
    PosixDirReader(int fd, InfoWanted wanted, LookupTeam* lookups)
        : fd_(fd), wanted_(wanted), team_(lookups) {}
    ~PosixDirReader() override {
        if (fd_ >= 0) close(fd_);
    }

    bool Next(EntryInfo& e) override {
        for (;;) {
            if (next_ >= pending_.size() && !ReadMore()) return false;
            const Pending& p = pending_[next_++];
            if (Fill(p, e)) return true;
        }
    }

private:
    // An entry of the last read, with its look-up once made.
    struct Pending {
        const char* name;  // in the buffer
        unsigned char type;
        bool needStat;
        bool found = false;
        bool link = false;  // a symbolic link (to whatever its target is)
        Meta meta;
    };

    // Reads the next entries and looks up those that need it; false at the end.
    bool ReadMore() {
        pending_.clear();
        next_ = 0;
        while (pending_.empty()) {
            if (fd_ < 0) return false;
            const ssize_t n = getdents64(fd_, buffer_.Data(), EntryBuffer::kSize);
            if (n <= 0) {
                // The end of the listing (or a folder that cannot be read on).
                close(fd_);
                fd_ = -1;
                return false;
            }
            for (size_t at = 0; at < static_cast<size_t>(n);) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buffer_.Data() + at);
                at += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                pending_.push_back(Pending{name, d->d_type, NeedsStat(d->d_type), false, false, Meta{}});
            }
        }
        toLook_.clear();
        for (size_t i = 0; i < pending_.size(); ++i)
            if (pending_[i].needStat) toLook_.push_back(i);
        if (team_ && toLook_.size() >= kTeamFrom) {
            LookupTeam::Job job;
            job.count = toLook_.size();
            job.work = [](void* context, size_t i) {
                auto* self = static_cast<PosixDirReader*>(context);
                self->Look(self->pending_[self->toLook_[i]]);
            };
            job.context = this;
            team_->RunTogether(job);
        } else {
            for (size_t i : toLook_) Look(pending_[i]);
        }
        return true;
    }

    // Devices, pipes and sockets: files without content.
    static bool WithoutContent(unsigned char type) {
        return type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN;
    }

    bool NeedsStat(unsigned char type) const {
        if (WithoutContent(type)) return wanted_.times;
        if (type == DT_DIR) return wanted_.id || wanted_.times;
        if (type == DT_REG) return wanted_.size || wanted_.times;
        return true;  // a link or an entry of unknown kind
    }

    void Look(Pending& p) const {
        p.found = StatEntry(fd_, p.name, wanted_.times, p.meta);
        p.link = p.type == DT_LNK;
        // A file system that does not tell kinds in its listing: a folder found through
        // a link is asked once more, about the entry itself.
        struct stat own;
        if (p.found && p.type == DT_UNKNOWN && S_ISDIR(p.meta.mode) &&
            fstatat(fd_, p.name, &own, AT_SYMLINK_NOFOLLOW) == 0)
            p.link = S_ISLNK(own.st_mode);
    }

    // Fills the entry; false when it vanished before it could be looked at.
    bool Fill(const Pending& p, EntryInfo& e) const {
        e.name.assign(p.name);
        e.attributes = IsHiddenName(e.name) ? uint32_t{kAttrHidden} : 0u;
        e.size = 0;
        e.writeTime = kNoTime;
        e.creationTime = kNoTime;
        e.id = FileId{};
        e.hasSize = false;
        e.hasTimes = false;
        if (p.type == DT_DIR) e.attributes |= kAttrDirectory;
        if (WithoutContent(p.type) && wanted_.size) e.hasSize = true;
        if (!p.needStat) return true;
        if (p.found) {
            e.attributes &= ~kAttrDirectory;
            FillFromMeta(p.meta, e);
            if (p.link) e.attributes |= kAttrLink;
            if (!wanted_.times) {
                e.writeTime = e.creationTime = kNoTime;
                e.hasTimes = false;
            }
            return true;
        }
        // Gone between the listing and the look-up: an entry of unknown kind is left
        // out, one of known kind is handed out without its details.
        return p.type != DT_UNKNOWN && p.type != DT_LNK;
    }

    // Look-ups are shared with the second thread from this many on.
    static constexpr size_t kTeamFrom = 24;

    int fd_;
    InfoWanted wanted_;
    LookupTeam* team_;
    EntryBuffer buffer_;
    std::vector<Pending> pending_;
    std::vector<size_t> toLook_;  // the pending entries that need a look-up
    size_t next_ = 0;              // the next pending entry to hand out
};

}  // namespace

FileTicks TicksFromUnix(int64_t seconds, int64_t nanoseconds) {
    return (seconds + kUnixEpochSeconds) * 10'000'000 + nanoseconds / 100;
}

LookupTeam::LookupTeam() = default;

LookupTeam::~LookupTeam() = default;

void LookupTeam::RunTogether(Job& job) {
    Helper* helper;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!helper_ && !failed_) {
            try {
                helper_ = std::make_unique<Helper>();
            } catch (const std::exception&) {
                failed_ = true;
            }
        }
        helper = helper_.get();
    }
    if (helper)
        helper->RunTogether(job);
    else
        Helper::Work(job);
}

void LookupTeam::Stop() {
    std::unique_ptr<Helper> helper;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        helper = std::move(helper_);
    }
    // Its destructor ends the thread.
}

std::string_view LastComponent(std::string_view path) {
    size_t end = path.size();
    while (end > 0 && path[end - 1] == '/') --end;
    size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
    if (end == 0) return {};
    return slash == std::string_view::npos ? path.substr(0, end)
                                           : path.substr(slash + 1, end - slash - 1);
}

std::optional<EntryInfo> StatPath(const std::string& path, InfoWanted wanted) {
    static const std::string kRoot = "/";
    const std::string& p = path.empty() ? kRoot : path;
    Meta m;
    bool found = StatEntry(AT_FDCWD, p.c_str(), wanted.times, m);
    if (!found && errno == ENAMETOOLONG) {
        std::string parent, last;
        SplitLast(p, parent, last);
        Fd at = OpenInPieces(parent, O_PATH);
        if (at.Valid()) found = StatEntry(at.Get(), last.c_str(), wanted.times, m);
    }
    if (!found) return std::nullopt;
    EntryInfo e;
    e.name = std::string(LastComponent(p));
    if (IsHiddenName(e.name)) e.attributes |= kAttrHidden;
    FillFromMeta(m, e);
    return e;
}

std::unique_ptr<DirReader> OpenFolder(const std::string& folder, InfoWanted wanted,
                                      LookupTeam* lookups) {
    static const std::string kRoot = "/";
    const std::string& p = folder.empty() ? kRoot : folder;
    Fd fd(open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid() && errno == ENAMETOOLONG) fd = OpenInPieces(p, O_RDONLY);
    return std::make_unique<PosixDirReader>(fd.Release(), wanted, lookups);
}

}  // namespace kirramo::posix
