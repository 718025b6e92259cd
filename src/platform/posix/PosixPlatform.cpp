#include "platform/posix/PosixPlatform.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/posix/ClipboardChooser.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixText.h"
#include "platform/posix/TreeRenderer.h"

extern char** environ;

namespace kirramo::posix {
namespace {

// The largest settings file read; anything bigger is not a settings file.
constexpr size_t kMaxSettingsBytes = 16 * 1024 * 1024;

std::string CurrentFolder() {
    std::string buf(256, '\0');
    for (;;) {
        if (getcwd(buf.data(), buf.size())) {
            buf.resize(strlen(buf.c_str()));
            return buf;
        }
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home && home[0] == '/') return home;
    struct passwd pw;
    struct passwd* found = nullptr;
    std::string buf(4096, '\0');
    while (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == ERANGE)
        buf.resize(buf.size() * 2);
    if (found && found->pw_dir && found->pw_dir[0] == '/') return found->pw_dir;
    return {};
}

// An absolute path as Windows makes a full path from a typed one: "." and empty
// segments dropped, each ".." taking away the segment before it (never above "/"), by
// the text alone (a link is not looked at), and no "/" at the end; "/" stays "/".
std::string LexicalPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(pos, end - pos);
        if (segment == "..") {
            const size_t cut = out.rfind('/');
            out.resize(cut == std::string::npos ? 0 : cut);
        } else if (!segment.empty() && segment != ".") {
            out += '/';
            out += segment;
        }
        pos = end + 1;
    }
    return out.empty() ? "/" : out;
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Creates the missing folders of an absolute path, each with the given mode.
bool MakeFolders(const std::string& folder, mode_t mode) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (errno != ENOENT) return false;
    std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent, mode)) return false;
    return mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

// The bytes of a regular file. Anything else (a FIFO that would wait for a writer, a
// device, a folder) gives nothing; opening does not wait.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || data.size() + static_cast<size_t>(n) > kMaxSettingsBytes) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return data;
}

// The per-user lock file: in the user's runtime folder, else in the temporary folder
// with the user id in its name.
std::string LockFilePath() {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/kirramo.lock";
    const char* tmp = getenv("TMPDIR");
    std::string folder = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    return folder + "/kirramo-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

struct PosixPlatform::Impl {
    explicit Impl(PosixWiring w)
        : wiring(std::move(w)), clipboard(LinuxClipboardSinks()) {}

    PosixWiring wiring;
    ClipboardChooser clipboard;
    std::once_flag listed;
    std::vector<std::string> arguments;
    std::optional<std::vector<MountEntry>> mounts;
    std::unique_ptr<Collator> collator;
    int lockFd = -1;                  // open for the whole life of the process once held
    std::optional<HeldKeys> heldKeys;  // the last look at the keys, and when it was taken
    std::chrono::steady_clock::time_point heldKeysAt;

    // The user's collation, opened when first needed.
    Collator& Collation() {
        if (!collator)
            collator = std::make_unique<Collator>(
                CollationLocale(getenv("LC_ALL"), getenv("LC_COLLATE"), getenv("LANG")));
        return *collator;
    }

    void BeforeListing() {
        if (wiring.beforeFirstListing) std::call_once(listed, wiring.beforeFirstListing);
    }

    void ShowMessage(const std::string& text) {
        if (wiring.messageBox)
            wiring.messageBox(text);
        else
            WriteToStandardError(text);
    }

    const std::vector<MountEntry>& Mounts() {
        if (!mounts) {
            std::optional<std::string> text = ReadWholeFile("/proc/self/mountinfo");
            mounts = ParseMountInfo(text ? *text : std::string());
        }
        return *mounts;
    }
};

std::vector<std::string> ArgumentsAfterName(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i] ? argv[i] : "");
    return arguments;
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    static const struct {
        const char* option;
        LaunchRequest launch;
    } kLaunches[] = {
        {"--names", LaunchRequest::Names},
        {"--paths", LaunchRequest::Paths},
        {"--window", LaunchRequest::Window},
    };
    CommandLine line;
    bool help = false, version = false, optionsEnded = false;
    std::string launchOption;
    for (const std::string& arg : arguments) {
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            line.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            help = true;
            continue;
        }
        if (arg == "--version") {
            version = true;
            continue;
        }
        bool known = false;
        for (const auto& l : kLaunches) {
            if (arg != l.option) continue;
            known = true;
            // The same option twice asks for the same; two different ones cannot both
            // be done.
            if (line.launch != LaunchRequest::Keys && line.launch != l.launch && line.wrong.empty()) {
                line.wrong = arg;
                line.conflicting = launchOption;
            }
            line.launch = l.launch;
            launchOption = arg;
        }
        if (!known && line.wrong.empty()) line.wrong = arg;
    }
    if (!line.wrong.empty())
        line.answer = CommandLine::Answer::WrongOption;
    else if (help)
        line.answer = CommandLine::Answer::Help;
    else if (version)
        line.answer = CommandLine::Answer::Version;
    return line;
}

std::string UsageText() {
    return "使い方: kirramo [オプション] [--] ファイルやフォルダのパス...\n"
           "\n"
           "選んだファイルやフォルダのパスや名前を、まとめてクリップボードにコピーします。\n"
           "オプションがなければ、起動時に押しているキー（X11 のみ）と保存した設定に従います。\n"
           "\n"
           "  --names    名前だけをすぐにコピーします（Shift を押して起動したときと同じ）。\n"
           "  --paths    フルパスをすぐにコピーします（Ctrl を押して起動したときと同じ）。\n"
           "  --window   設定ウィンドウを出します（Shift + Ctrl と同じ。「メニュー非表示」でも）。\n"
           "  --help     この説明を表示して終わります。\n"
           "  --version  バージョンを表示して終わります。\n"
           "  --         オプションの終わりです。後ろはすべてパスです（「-」で始まる名前に）。\n"
           "\n"
           "オプションは押しているキーより優先されます。\n"
           "終了コード: 0 コピーできた、1 パスが見つからない、2 文字列を置けなかった、\n"
           "3 ほかの Kirramo が動いている、4 オプションの誤り、5 中止した。\n"
           "詳しくは how to use.txt（設定ウィンドウの Help）をご覧ください。\n";
}

int AnswerCommandLine(const CommandLine& line, const std::string& version) {
    switch (line.answer) {
    case CommandLine::Answer::None:
        break;
    case CommandLine::Answer::Help:
        return WriteAll(1, UsageText()) ? 0 : 2;
    case CommandLine::Answer::Version:
        return WriteAll(1, "kirramo " + version + "\n") ? 0 : 2;
    case CommandLine::Answer::WrongOption:
        if (line.conflicting.empty())
            WriteToStandardError("kirramo: 使えないオプションです: " + line.wrong +
                                 "\n使い方は kirramo --help で表示されます。");
        else
            WriteToStandardError("kirramo: " + line.conflicting + " と " + line.wrong +
                                 " は一緒に使えません。\n使い方は kirramo --help で表示されます。");
        return kExitWrongOption;
    }
    return 0;
}

PosixPlatform::PosixPlatform(int argc, char** argv, PosixWiring wiring)
    : PosixPlatform(ArgumentsAfterName(argc, argv), std::move(wiring)) {}

PosixPlatform::PosixPlatform(std::vector<std::string> arguments, PosixWiring wiring)
    : impl_(std::make_unique<Impl>(std::move(wiring))) {
    std::string cwd;
    for (std::string& arg : arguments) {
        if (!arg.empty() && arg[0] != '/') {
            // A relative path is taken against the current folder, so that the path
            // forms and the part below a selected folder work on it.
            if (cwd.empty()) cwd = CurrentFolder();
            if (!cwd.empty()) arg = cwd + "/" + arg;
        }
        // "DIR/" (as shell completion types it), "A//b", "./a.txt" and "../b" name the
        // same entry as their plain form, and every form is made from the plain one.
        if (!arg.empty() && arg[0] == '/') arg = LexicalPath(arg);
        impl_->arguments.push_back(std::move(arg));
    }
}

PosixPlatform::~PosixPlatform() {
    if (impl_->lockFd >= 0) close(impl_->lockFd);
}

std::string PosixPlatform::SettingsPath() const {
    const char* xdg = getenv("XDG_CONFIG_HOME");
    std::string config;
    if (xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        std::string home = HomeFolder();
        if (home.empty()) return {};
        config = (home == "/" ? "" : home) + "/.config";
    }
    while (config.size() > 1 && config.back() == '/') config.pop_back();
    return config + "/kirramo/Tolvane.ini";
}

std::string PosixPlatform::UsageTextPath() const {
    static const char kName[] = "how to use.txt";
    std::string program = ProgramPath();
    std::string folder = program.empty() ? CurrentFolder() : FolderOf(program);
    std::string beside = folder + "/" + kName;
    std::string prefix = FolderOf(folder);
    std::string installed = (prefix == "/" ? "" : prefix) + "/share/kirramo/" + kName;
    if (!Exists(beside) && Exists(installed)) return installed;
    return beside;
}

// ---- Path syntax ----

char PosixPlatform::Separator() const { return '/'; }

std::string PosixPlatform::CutRoot(std::string_view folder) const {
    return folder == "/" ? std::string() : std::string(folder);
}

bool PosixPlatform::HasShortNames() const { return false; }

// ---- File system ----

std::optional<EntryInfo> PosixPlatform::Stat(const std::string& path, InfoWanted wanted) {
    return StatPath(path, wanted);
}

std::unique_ptr<DirReader> PosixPlatform::OpenDir(const std::string& folder, InfoWanted wanted) {
    impl_->BeforeListing();
    return OpenFolder(folder, wanted, impl_->wiring.lookups);
}

std::optional<std::string> PosixPlatform::FindLongName(const std::string& path) {
    std::string_view name = LastComponent(path);
    if (name.empty() || !StatPath(path, InfoWanted{})) return std::nullopt;
    return std::string(name);
}

std::optional<std::string> PosixPlatform::ShortPath(const std::string& path) { return path; }

std::optional<VolumeRoot> PosixPlatform::VolumeRootOf(const std::string& path) {
    const MountEntry* mount = MountOfPath(impl_->Mounts(), path);
    if (!mount) return std::nullopt;
    return VolumeRoot{CutRoot(mount->mountPoint)};
}

std::string PosixPlatform::DriveConnection(const VolumeRoot& root) {
    std::string mountPoint = root.key.empty() ? "/" : root.key;
    const MountEntry* top = nullptr;
    for (const MountEntry& m : impl_->Mounts())
        if (m.mountPoint == mountPoint) top = &m;
    return top ? ShareOfMount(*top) : std::string();
}

// ---- Time texts ----

std::optional<CivilTime> PosixPlatform::UtcToLocal(FileTicks t) {
    if (t == kNoTime) return std::nullopt;
    constexpr int64_t kTicksPerSecond = 10'000'000;
    int64_t sinceUnix = t - TicksFromUnix(0, 0);
    int64_t seconds = sinceUnix / kTicksPerSecond;
    if (sinceUnix % kTicksPerSecond < 0) --seconds;  // round toward the past
    time_t tt = static_cast<time_t>(seconds);
    struct tm tm;
    if (!localtime_r(&tt, &tm)) return std::nullopt;
    CivilTime c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return c;
}

std::string PosixPlatform::DateSeparator() { return "/"; }

std::string PosixPlatform::TimeSeparator() { return ":"; }

std::string PosixPlatform::GeneralDateText(const CivilTime& c) {
    char buf[64];
    if (c.hour == 0 && c.minute == 0 && c.second == 0)
        snprintf(buf, sizeof buf, "%04d/%02d/%02d", c.year, c.month, c.day);
    else
        snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", c.year, c.month, c.day, c.hour,
                 c.minute, c.second);
    return buf;
}

std::string PosixPlatform::GroupDigits(uint64_t n) {
    return GroupDigitsWith(n, ",");
}

// ---- Text ----

std::vector<std::string> PosixPlatform::SortKeys(const std::vector<std::string>& lines) {
    Collator& collator = impl_->Collation();
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    for (const std::string& line : lines) keys.push_back(collator.Key(line));
    return keys;
}

namespace {

// Keys from collators of its own, so that it can work on another thread: keys of the
// base letters alone (shorter and faster to make, and they join after a separator),
// and the full collation for lines whose keys are equal.
class IcuKeyBuilder final : public SortKeyBuilder {
public:
    IcuKeyBuilder(std::unique_ptr<Collator> primary, std::unique_ptr<Collator> full)
        : primary_(std::move(primary)), full_(std::move(full)) {}
    size_t Key(std::string_view text, unsigned char* buffer, size_t capacity) override {
        return primary_->KeyInto(text, buffer, capacity);
    }
    int CompareEqualKeys(std::string_view a, std::string_view b) override {
        return full_->Compare(a, b);
    }
    bool KeysJoinAfter(char separator) override { return primary_->KeysJoinAfter(separator); }

private:
    std::unique_ptr<Collator> primary_;
    std::unique_ptr<Collator> full_;
};

}  // namespace

std::unique_ptr<SortKeyBuilder> PosixPlatform::NewSortKeyBuilder() {
    const Collator& collation = impl_->Collation();
    std::unique_ptr<Collator> primary = collation.Clone(true);
    std::unique_ptr<Collator> full = collation.Clone();
    if (!primary || !full) return nullptr;
    return std::make_unique<IcuKeyBuilder>(std::move(primary), std::move(full));
}

std::string PosixPlatform::UpperCase(const std::string& text) { return UpperCaseUtf8(text); }

// ---- Process and program ----

std::optional<std::string> PosixPlatform::CommandLineText() { return std::nullopt; }

std::vector<std::string> PosixPlatform::ArgumentList() { return impl_->arguments; }

std::optional<std::vector<std::string>> PosixPlatform::TreeCommandOutput(const std::string& folder, bool withFiles,
                                                                         const TreeCheckpoint& checkpoint) {
    impl_->BeforeListing();
    return RenderTree(folder, withFiles, checkpoint);
}

void PosixPlatform::SleepMs(int ms) {
    if (ms <= 0) return;
    struct timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// ---- Settings file ----

std::optional<std::string> PosixPlatform::ReadSettingsBytes() {
    std::string path = SettingsPath();
    if (path.empty()) return std::nullopt;
    return ReadWholeFile(path);
}

std::string PosixPlatform::SettingsLocation() const { return SettingsPath(); }

std::string PosixPlatform::AnsiLineText(std::string_view line) {
    // Without a cp932 converter the line's bytes are kept as they are, to be written
    // back unchanged.
    return Cp932ToUtf8(line).value_or(std::string(line));
}

std::optional<std::string> PosixPlatform::PlainSettingsBytes(const std::string& text) { return text; }

bool PosixPlatform::WriteSettingsBytes(const std::string& bytes) {
    std::string path = SettingsPath();
    if (path.empty()) return false;
    // A settings file that is a link to a file kept elsewhere stays a link: the file
    // it points to is the one replaced.
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            path = real;
            free(real);
        }
    }
    // Only a regular file is replaced: a FIFO, a device or a folder the path leads to
    // stays as it is.
    if (stat(path.c_str(), &st) == 0 ? !S_ISREG(st.st_mode) : errno != ENOENT) return false;
    std::string folder = FolderOf(path);
    if (!MakeFolders(folder, 0700)) return false;

    std::string temp = folder + "/.Tolvane.ini.XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    if (ok && stat(path.c_str(), &st) == 0) fchmod(fd, st.st_mode & 07777);
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // Make the new name itself last across a power cut, as far as the folder allows.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

// ---- User interface ----

bool PosixPlatform::EmptyClipboard() { return impl_->clipboard.EmptyClipboard(); }

bool PosixPlatform::SetClipboardText(const std::string& text) {
    return impl_->clipboard.SetClipboardText(text);
}

bool PosixPlatform::SetClipboardPieces(const TextPieces& text) {
    return impl_->clipboard.SetClipboardPieces(text);
}

Placing PosixPlatform::PlaceText(const std::string& text) { return impl_->clipboard.PlaceText(text); }

Placing PosixPlatform::PlacePieces(const TextPieces& text) { return impl_->clipboard.PlacePieces(text); }

void PosixPlatform::MessageBox(const std::string& text) { impl_->ShowMessage(text); }

void PosixPlatform::SetWaitCursor(bool) {}

// ---- Start-up ----

bool PosixPlatform::AnotherInstanceRunning() {
    if (impl_->lockFd >= 0) return false;  // this process holds the lock already
    std::string path = LockFilePath();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;  // no lock to be had: do not keep the user from working
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != getuid() || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    // A record lock, not flock: it belongs to this process alone, so a forked helper
    // (the clipboard owner that outlives the program) does not keep it held.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) == 0) {
        impl_->lockFd = fd;
        return false;
    }
    int err = errno;
    close(fd);
    return err == EACCES || err == EAGAIN;
}

bool PosixPlatform::IsKeyHeld(Key key) {
    if (DetectDisplay() != DisplayKind::X11) return false;
    // Shift and Ctrl are asked one right after the other: one look at the server
    // answers both (a connection costs more than the question), and counts as "now"
    // for a moment.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    if (!impl_->heldKeys || now - impl_->heldKeysAt > std::chrono::milliseconds(100)) {
        impl_->heldKeys = QueryHeldKeysX11();
        impl_->heldKeysAt = now;
    }
    return key == Key::Shift ? impl_->heldKeys->shift : impl_->heldKeys->control;
}

void PosixPlatform::OpenUsageText() {
    std::string path = UsageTextPath();
    if (!Exists(path)) {
        impl_->ShowMessage("使い方の説明「how to use.txt」が見つかりません。\n" + path);
        return;
    }
    // A short-lived shell starts the viewer in the background and ends at once, so the
    // viewer belongs to init from then on: no zombie is left and nothing waits for it.
    const char* script =
        "command -v xdg-open >/dev/null 2>&1 || exit 127; "
        "xdg-open \"$1\" </dev/null >/dev/null 2>&1 & exit 0";
    std::vector<std::string> argv = {"/bin/sh", "-c", script, "sh", path};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    bool started = posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0;
    if (started) {
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (!started) impl_->ShowMessage("使い方の説明を開けませんでした (xdg-open)。\n" + path);
}

}  // namespace kirramo::posix
