// Settings file, processes, the single-instance lock, arguments, time texts and the
// clipboard without a display, for the Linux backend.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "options/Settings.h"
#include "platform/posix/DesktopProcess.h"
#include "platform/posix/PosixPlatform.h"
#include "posix/EnvVar.h"
#include "posix/TempFolder.h"

namespace kirramo::posix {
namespace {

using testing::EnvVar;
using testing::TempFolder;
using testing::WriteFile;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (struct dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

TEST(PosixSettingsFile, PlaceFollowsXdgConfigHomeElseHome) {
    EnvVar home("HOME", "/home/aiko");
    {
        EnvVar xdg("XDG_CONFIG_HOME", "/cfg/");
        EXPECT_EQ(PosixPlatform(0, nullptr).SettingsPath(), "/cfg/kirramo/Tolvane.ini");
    }
    {
        EnvVar xdg("XDG_CONFIG_HOME", "relative/is/ignored");
        EXPECT_EQ(PosixPlatform(0, nullptr).SettingsPath(), "/home/aiko/.config/kirramo/Tolvane.ini");
    }
    EnvVar xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(PosixPlatform(0, nullptr).SettingsPath(), "/home/aiko/.config/kirramo/Tolvane.ini");
    EnvVar noHome("HOME", nullptr);
    EXPECT_NE(PosixPlatform(0, nullptr).SettingsPath(), "");  // from the user database
}

TEST(PosixSettingsFile, WrittenWholeAndReadBack) {
    TempFolder t;
    EnvVar xdg("XDG_CONFIG_HOME", (t / "config").c_str());
    PosixPlatform p(0, nullptr);
    const std::string folder = t / "config/kirramo";
    EXPECT_FALSE(p.ReadSettingsBytes());  // nothing written yet

    const std::string first = "GLong=True\r\nGPrefix=「\r\n";
    ASSERT_TRUE(p.WriteSettingsBytes(first));
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadFile(folder + "/Tolvane.ini"), first);
    EXPECT_EQ(p.ReadSettingsBytes(), first);

    ASSERT_TRUE(p.WriteSettingsBytes("GLong=False\r\n"));
    EXPECT_EQ(p.ReadSettingsBytes(), "GLong=False\r\n");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"Tolvane.ini"});  // no temporary left

    // An old file written in cp932 reads as UTF-8 text.
    ASSERT_TRUE(WriteFile(folder + "/Tolvane.ini", "GSuffix=\x81\x76\r\n"));
    Session session;
    ASSERT_TRUE(LoadSettings(session, p));
    EXPECT_EQ(session.options.GSuffix, "」");

    // A settings file kept elsewhere through a link stays a link.
    ASSERT_TRUE(WriteFile(t / "real.ini", "old"));
    ASSERT_EQ(unlink((folder + "/Tolvane.ini").c_str()), 0);
    ASSERT_EQ(symlink((t / "real.ini").c_str(), (folder + "/Tolvane.ini").c_str()), 0);
    ASSERT_TRUE(p.WriteSettingsBytes("new"));
    EXPECT_EQ(ReadFile(t / "real.ini"), "new");
    ASSERT_EQ(lstat((folder + "/Tolvane.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(PosixSettingsFile, FailedWriteLeavesTheOldFileAndNoTemporary) {
    TempFolder t;
    {
        // The folder cannot be made: its parent is a file.
        ASSERT_TRUE(WriteFile(t / "plain", "x"));
        EnvVar xdg("XDG_CONFIG_HOME", (t / "plain").c_str());
        PosixPlatform p(0, nullptr);
        EXPECT_FALSE(p.WriteSettingsBytes("GLong=True\r\n"));
        EXPECT_FALSE(p.ReadSettingsBytes());
    }
    {
        // The last step fails: a folder stands where the file would go.
        EnvVar xdg("XDG_CONFIG_HOME", (t / "config").c_str());
        ASSERT_EQ(mkdir((t / "config").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((t / "config/kirramo").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((t / "config/kirramo/Tolvane.ini").c_str(), 0700), 0);
        ASSERT_TRUE(WriteFile(t / "config/kirramo/Tolvane.ini/keep", "old"));
        PosixPlatform p(0, nullptr);
        EXPECT_FALSE(p.WriteSettingsBytes("GLong=True\r\n"));
        EXPECT_EQ(Names(t / "config/kirramo"), std::vector<std::string>{"Tolvane.ini"});
        EXPECT_EQ(ReadFile(t / "config/kirramo/Tolvane.ini/keep"), "old");
        EXPECT_FALSE(p.ReadSettingsBytes());
    }
}

TEST(PosixSettingsFile, UnwritableFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    TempFolder t;
    EnvVar xdg("XDG_CONFIG_HOME", t.Path().c_str());
    PosixPlatform p(0, nullptr);
    ASSERT_TRUE(p.WriteSettingsBytes("old"));
    ASSERT_EQ(chmod((t / "kirramo").c_str(), 0500), 0);
    EXPECT_FALSE(p.WriteSettingsBytes("new"));
    EXPECT_EQ(p.ReadSettingsBytes(), "old");
    EXPECT_EQ(Names(t / "kirramo"), std::vector<std::string>{"Tolvane.ini"});
}

// Runs a function in a child process and gives its exit status.
template <typename F>
int InChild(F f) {
    pid_t pid = fork();
    if (pid == 0) _exit(f());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A settings file as the program reads and writes it: the settings text's own decoding
// and save form (options/Settings) over the Linux file.
struct SettingsRoad {
    SettingsRoad() : xdg("XDG_CONFIG_HOME", t.Path().c_str()) {
        mkdir((t / "kirramo").c_str(), 0700);
    }
    PosixWiring Wiring() {
        PosixWiring w;
        w.messageBox = [this](const std::string& text) { messages.push_back(text); };
        return w;
    }
    std::string File() const { return t / "kirramo/Tolvane.ini"; }

    TempFolder t;
    EnvVar xdg;
    std::vector<std::string> messages;
    PosixPlatform p{0, nullptr, Wiring()};
    Session session;
};

TEST(PosixSettingsFile, EachLineReadAsUtf8OrCp932AndSavedAsUtf8) {
    const struct {
        std::string bytes, prefix, suffix;
    } cases[] = {
        // One line in cp932 among UTF-8 lines: each line read in its own code page.
        {"GLong=True\r\nGPrefix=「日本」\r\nGSuffix=\x95\x5C\xB1\r\n", "「日本」", "表ｱ"},
        {"GLong=True\nGPrefix=\x81\x75\x93\xFA\x96\x7B\x81\x76\nGSuffix=😀한\n", "「日本」", "😀한"},
        // A file with the byte-order mark, as an editor saves UTF-8.
        {"\xEF\xBB\xBFGLong=True\r\nGPrefix=「日本」\r\nGSuffix=前\r\n", "「日本」", "前"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        SettingsRoad road;
        ASSERT_TRUE(WriteFile(road.File(), c.bytes));
        ASSERT_TRUE(LoadSettings(road.session, road.p));
        EXPECT_TRUE(road.session.options.GLong);
        EXPECT_EQ(road.session.options.GPrefix, c.prefix);
        EXPECT_EQ(road.session.options.GSuffix, c.suffix);
        SaveSettings(road.session, road.p);
        EXPECT_EQ(ReadFile(road.File()), SettingsText(road.session.options));
        EXPECT_TRUE(road.messages.empty());
    }
}

TEST(PosixSettingsFile, OnlyARegularFileIsReadWithoutWaiting) {
    SettingsRoad road;
    // A FIFO would keep a reader waiting for a writer; a folder and a device hold no
    // settings. Each counts as no file. A child with a time limit: a hang fails the test.
    ASSERT_EQ(mkfifo(road.File().c_str(), 0600), 0);
    EXPECT_EQ(InChild([&] {
                  alarm(10);
                  return LoadSettings(road.session, road.p) ? 1 : 0;
              }),
              0);
    ASSERT_EQ(unlink(road.File().c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", road.File().c_str()), 0);
    EXPECT_FALSE(LoadSettings(road.session, road.p));
    ASSERT_EQ(unlink(road.File().c_str()), 0);
    ASSERT_EQ(mkdir(road.File().c_str(), 0700), 0);
    EXPECT_FALSE(LoadSettings(road.session, road.p));
    EXPECT_EQ(road.session.options, OptionSet{});
}

TEST(PosixSettingsFile, ASaveReplacesOnlyARegularFileAndAFailedOneSaysSo) {
    SettingsRoad road;
    road.session.options = OptionSet::Designed();
    const std::string expected = "設定を保存できませんでした。\r\n" + road.File();
    // Through a link to a FIFO, and (where the test may make one) to a device node:
    // neither is replaced by a file.
    ASSERT_EQ(mkfifo((road.t / "fifo").c_str(), 0600), 0);
    std::vector<std::string> targets = {road.t / "fifo"};
    if (mknod((road.t / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back(road.t / "null");
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        unlink(road.File().c_str());
        ASSERT_EQ(symlink(target.c_str(), road.File().c_str()), 0);
        road.messages.clear();
        SaveSettings(road.session, road.p);
        struct stat st;
        ASSERT_EQ(lstat(target.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
        EXPECT_EQ(road.messages, std::vector<std::string>{expected});
        EXPECT_EQ(Names(road.t / "kirramo"), std::vector<std::string>{"Tolvane.ini"});
    }
    // A folder in the file's place stays as it was.
    unlink(road.File().c_str());
    ASSERT_EQ(mkdir(road.File().c_str(), 0700), 0);
    road.messages.clear();
    SaveSettings(road.session, road.p);
    EXPECT_EQ(road.messages, std::vector<std::string>{expected});
    EXPECT_TRUE(Names(road.File()).empty());
}

TEST(PosixSingleInstance, SecondProcessSeesTheLockTaken) {
    TempFolder t;
    EnvVar runtime("XDG_RUNTIME_DIR", t.Path().c_str());
    {
        PosixPlatform first(0, nullptr);
        EXPECT_FALSE(first.AnotherInstanceRunning());
        EXPECT_FALSE(first.AnotherInstanceRunning());  // its own lock does not count
        EXPECT_EQ(InChild([] { return PosixPlatform(0, nullptr).AnotherInstanceRunning() ? 7 : 0; }), 7);
    }
    // Released when the holder is gone.
    EXPECT_EQ(InChild([] { return PosixPlatform(0, nullptr).AnotherInstanceRunning() ? 7 : 0; }), 0);
}

TEST(PosixSingleInstance, AForkedHelperDoesNotKeepTheLock) {
    TempFolder t;
    EnvVar runtime("XDG_RUNTIME_DIR", t.Path().c_str());
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // A program that takes the lock, forks a helper that lives on (as the clipboard
    // owner does) and ends.
    int status = InChild([&] {
        PosixPlatform program(0, nullptr);
        if (program.AnotherInstanceRunning()) return 1;
        pid_t helper = fork();
        if (helper == 0) {
            pause();
            _exit(0);
        }
        (void)!write(fds[1], &helper, sizeof helper);
        return 0;
    });
    ASSERT_EQ(status, 0);
    pid_t helper = 0;
    ASSERT_EQ(read(fds[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
    close(fds[0]);
    close(fds[1]);
    EXPECT_FALSE(PosixPlatform(0, nullptr).AnotherInstanceRunning());
    kill(helper, SIGKILL);
}

TEST(PosixArguments, RelativePathsTakenAgainstTheCurrentFolder) {
    TempFolder t;
    std::string old = std::filesystem::current_path();
    ASSERT_EQ(chdir(t.Path().c_str()), 0);
    const char* argv[] = {"kirramo", "/abs/a b.txt", "rel/写真.jpg", "../up", "", "-x", nullptr};
    PosixPlatform p(6, const_cast<char**>(argv));
    const std::string up = t.Path().substr(0, t.Path().rfind('/')) + "/up";
    EXPECT_EQ(p.ArgumentList(), (std::vector<std::string>{"/abs/a b.txt", t / "rel/写真.jpg", up,
                                                           "", t / "-x"}));
    EXPECT_FALSE(p.CommandLineText());
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(PosixPlatform(2, const_cast<char**>(argv) + 1).ArgumentList()[0], "/rel/写真.jpg");
    ASSERT_EQ(chdir(old.c_str()), 0);
    EXPECT_TRUE(PosixPlatform(1, const_cast<char**>(argv)).ArgumentList().empty());
}

TEST(PosixTimeTexts, LocalTimeAndJapaneseForms) {
    EnvVar tz("TZ", "JST-9");
    tzset();
    PosixPlatform p(0, nullptr);
    const FileTicks t = (1184515800LL + 11644473600LL) * 10000000 + 9999999;  // 2007-07-15 16:10:00.9999999 UTC
    auto local = p.UtcToLocal(t);
    ASSERT_TRUE(local);
    EXPECT_EQ(p.GeneralDateText(*local), "2007/07/16 1:10:00");
    EXPECT_EQ(p.GeneralDateText({2024, 2, 29, 0, 0, 0}), "2024/02/29");
    EXPECT_EQ(p.GeneralDateText({2024, 2, 29, 23, 5, 9}), "2024/02/29 23:05:09");
    auto early = p.UtcToLocal(-1);  // a moment before 1601-01-01 00:00 UTC
    ASSERT_TRUE(early);
    EXPECT_EQ(early->year, 1601);
    EXPECT_EQ(early->hour, 8);
    EXPECT_EQ(early->second, 59);
    EXPECT_FALSE(p.UtcToLocal(kNoTime));
    EXPECT_EQ(p.DateSeparator(), "/");
    EXPECT_EQ(p.TimeSeparator(), ":");
    EXPECT_EQ(p.GroupDigits(0), "0");
    EXPECT_EQ(p.GroupDigits(999), "999");
    EXPECT_EQ(p.GroupDigits(1000), "1,000");
    EXPECT_EQ(p.GroupDigits(1234567), "1,234,567");
    EXPECT_EQ(p.GroupDigits(UINT64_MAX), "18,446,744,073,709,551,615");
}

// Runs the call with standard output sent to the given descriptor.
template <typename F>
auto WithStdout(int fd, F f) {
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    auto result = f();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return result;
}

TEST(PosixClipboard, WithoutDisplayTheTextGoesToStandardOutput) {
    EnvVar display("DISPLAY", nullptr);
    EnvVar wayland("WAYLAND_DISPLAY", nullptr);
    TempFolder t;
    PosixPlatform p(0, nullptr);
    EXPECT_TRUE(p.EmptyClipboard());
    const std::string text = "/home/aiko/写真\r\n/home/aiko/メモ.txt\r\n" + std::string(200000, 'x');
    int fd = open((t / "out").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(WithStdout(fd, [&] { return p.SetClipboardText(text); }));
    close(fd);
    EXPECT_EQ(ReadFile(t / "out"), text);

    // In pieces: many small ones across the buffer's edges, and one larger than it.
    struct Pieces : TextPieces {
        std::vector<std::string> parts;
        size_t Size() const override {
            size_t n = 0;
            for (const std::string& part : parts) n += part.size();
            return n;
        }
        bool Each(const std::function<bool(std::string_view)>& sink) const override {
            for (const std::string& part : parts)
                if (!sink(part)) return false;
            return true;
        }
    } pieces;
    for (int i = 0; i < 40000; ++i) pieces.parts.push_back("/home/aiko/写真/" + std::to_string(i) + "\r\n");
    pieces.parts.push_back(std::string(300000, 'y'));
    pieces.parts.push_back("end");
    fd = open((t / "pieces").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(WithStdout(fd, [&] { return p.SetClipboardPieces(pieces); }));
    close(fd);
    EXPECT_EQ(ReadFile(t / "pieces"), pieces.Joined());

    // A pipe nobody reads and an output that cannot be written give false, not a crash.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    EXPECT_FALSE(WithStdout(fds[1], [&] { return p.SetClipboardText("x"); }));
    EXPECT_FALSE(WithStdout(fds[1], [&] { return p.SetClipboardPieces(pieces); }));
    close(fds[1]);
    int readOnly = open("/dev/null", O_RDONLY);
    EXPECT_FALSE(WithStdout(readOnly, [&] { return p.SetClipboardText("x"); }));
    close(readOnly);
    // Such an output fails for good (trying again would write again what was written),
    // and the user is told why.
    int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const Placing onFull = WithStdout(full, [&] { return p.PlacePieces(pieces); });
    close(full);
    EXPECT_EQ(onFull.kind, Placing::Kind::Failed);
    EXPECT_EQ(onFull.why, "標準出力に書き出せませんでした（No space left on device）。");

    // An output that would block (a pipe left O_NONBLOCK by the caller) is waited for:
    // every byte arrives, once.
    {
        int slow[2];
        ASSERT_EQ(pipe(slow), 0);
        fcntl(slow[1], F_SETFL, O_NONBLOCK);
        std::string arrived;
        std::thread reader([&] {
            usleep(50000);  // the pipe fills first
            ReadAll(slow[0], arrived);
        });
        const Placing placed = WithStdout(slow[1], [&] { return p.PlacePieces(pieces); });
        close(slow[1]);
        reader.join();
        close(slow[0]);
        EXPECT_EQ(placed.kind, Placing::Kind::Placed);
        EXPECT_TRUE(arrived == pieces.Joined()) << arrived.size() << " bytes arrived";
    }

    // DISPLAY names a server that does not answer: the text is not lost but written out.
    {
        EnvVar gone("DISPLAY", ":8123");
        fd = open((t / "unreachable").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(WithStdout(fd, [&] { return p.SetClipboardPieces(pieces); }));
        close(fd);
        EXPECT_EQ(ReadFile(t / "unreachable"), pieces.Joined());
    }

    EXPECT_FALSE(p.IsKeyHeld(Platform::Key::Shift));
    EXPECT_FALSE(p.IsKeyHeld(Platform::Key::Control));
}

}  // namespace
}  // namespace kirramo::posix
