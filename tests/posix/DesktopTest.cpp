// The desktop services against a private Xvfb server: the clipboard owner read back by
// xclip (an independent reader) and by a plain Xlib requestor, the held keys, the
// message box's text fallback.
#include <fcntl.h>
#include <poll.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/posix/ClipboardSink.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "window/qt/host/QtModuleHost.h"

// Xlib last: its None macro would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
constexpr unsigned long kXNone = None;
#undef None

extern char** environ;

namespace kirramo::posix {
namespace {

// A large process (this test binary is one) or one with threads starts "/proc/self/exe"
// afresh, named kClipboardOwnerArgument, for its clipboard owner; in this test binary
// that start is caught here, before the tests run.
const bool kOwnerStartHandled = [] {
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    if (all == std::string(kClipboardOwnerArgument) + '\0') _exit(RunClipboardOwnerStart(kClipboardOwnerArgument));
    return false;
}();

// The X11 road of the clipboard, as the program takes it.
bool OfferClipboardX11(const std::string& text) {
    return X11OwnerSink().Place(text).kind == PlaceResult::Kind::Placed;
}

void ShowMessageBox(const std::string& text) {
    ShowMessageBoxWithQt(text, [] { return PrepareToFork(nullptr); });
}

bool OnPath(const char* program) {
    std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Runs a shell command and returns its standard output, or nothing when it failed.
std::optional<std::string> Output(const std::string& command) {
    FILE* p = popen(command.c_str(), "r");
    if (!p) return std::nullopt;
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = pclose(p);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

std::optional<std::string> ReadClipboard(const char* target = nullptr) {
    std::string cmd = "xclip -o -selection clipboard";
    if (target) cmd += std::string(" -t '") + target + "'";
    return Output(cmd + " 2>/dev/null");
}

// Whether a process is gone (an exited process that nobody reaped counts as gone).
bool ProcessGone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string line;
    std::getline(stat, line);
    size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

class Desktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!OnPath("Xvfb") || !OnPath("xclip")) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp",
                              "-noreset", "-screen", "0", "640x480x24", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawnp(&xvfb_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        char c;
        while (rc == 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        display_ = ":" + number;
        setenv("DISPLAY", display_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
    }
    static void TearDownTestSuite() {
        if (xvfb_ > 0) {
            kill(xvfb_, SIGTERM);
            waitpid(xvfb_, nullptr, 0);
            xvfb_ = 0;
        }
    }
    void SetUp() override {
        if (display_.empty()) GTEST_SKIP() << "needs Xvfb and xclip";
    }

    // The process that owns the CLIPBOARD now, from its window's _NET_WM_PID.
    static pid_t OwnerPid() {
        Display* d = XOpenDisplay(nullptr);
        if (!d) return 0;
        Window owner = XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False));
        pid_t pid = 0;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (owner != kXNone &&
            XGetWindowProperty(d, owner, XInternAtom(d, "_NET_WM_PID", False), 0, 1, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data && count == 1)
            pid = static_cast<pid_t>(*reinterpret_cast<long*>(data));
        if (data) XFree(data);
        XCloseDisplay(d);
        return pid;
    }

    static inline pid_t xvfb_ = 0;
    static inline std::string display_;
};

TEST_F(Desktop, OwnerServesTheTextInEveryTextTarget) {
    const std::string text = "/home/user/資料 2024/報告書.txt\r\n/tmp/a b.txt\r\n";
    ASSERT_TRUE(OfferClipboardX11(text));
    // Read right after the offer returned: the owner already holds the clipboard.
    EXPECT_EQ(ReadClipboard(), text);
    EXPECT_EQ(ReadClipboard("UTF8_STRING"), text);
    EXPECT_EQ(ReadClipboard("TEXT"), text);
    // No Latin-1 form of Japanese: STRING gives the UTF-8 bytes rather than losing them.
    EXPECT_EQ(ReadClipboard("STRING"), text);
    auto targets = ReadClipboard("TARGETS");
    ASSERT_TRUE(targets);
    for (const char* t : {"TARGETS", "UTF8_STRING", "STRING", "TEXT", "MULTIPLE", "TIMESTAMP"})
        EXPECT_NE(targets->find(t), std::string::npos) << t;
    // A target the owner does not offer is refused, and the owner goes on serving.
    EXPECT_FALSE(ReadClipboard("image/png"));
    EXPECT_EQ(ReadClipboard(), text);

    ASSERT_TRUE(OfferClipboardX11("café\tÀ"));
    EXPECT_EQ(ReadClipboard("STRING"), "caf\xE9\t\xC0");
    EXPECT_EQ(ReadClipboard(), "café\tÀ");

    ASSERT_TRUE(OfferClipboardX11(""));
    EXPECT_EQ(ReadClipboard(), "");
}

TEST_F(Desktop, OwnerKeepsNoDescriptorOfTheProgram) {
    // A pipe that the program's caller reads (as a shell reads its output): once the
    // offer returns, nobody but this process may hold its writing end.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_TRUE(OfferClipboardX11("text"));
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 0), 1);
    char c;
    EXPECT_EQ(read(fds[0], &c, 1), 0);  // end of file, not a wait for the owner
    close(fds[0]);
}

TEST_F(Desktop, LargeTextsArriveWholeAcrossPieceBoundaries) {
    for (size_t size : {size_t{262144}, size_t{262145}, size_t{3 * 262144}, size_t{2621440 + 7}}) {
        std::string text;
        text.reserve(size);
        for (size_t i = 0; text.size() < size; ++i) text += "/データ/" + std::to_string(i) + "\r\n";
        text.resize(size);
        ASSERT_TRUE(OfferClipboardX11(text));
        auto back = ReadClipboard();
        ASSERT_TRUE(back) << size;
        EXPECT_EQ(back->size(), text.size());
        EXPECT_TRUE(*back == text) << "content differs at size " << size;
    }
}

TEST_F(Desktop, NewOfferEndsThePreviousOwner) {
    ASSERT_TRUE(OfferClipboardX11("first"));
    pid_t first = OwnerPid();
    ASSERT_GT(first, 0);
    EXPECT_NE(first, getpid());
    ASSERT_TRUE(OfferClipboardX11("second"));
    pid_t second = OwnerPid();
    EXPECT_NE(second, first);
    EXPECT_EQ(ReadClipboard(), "second");
    // The first owner lost the clipboard and ends on its own; wait for that.
    for (int i = 0; i < 500 && !ProcessGone(first); ++i) usleep(20000);
    EXPECT_TRUE(ProcessGone(first));
    EXPECT_FALSE(ProcessGone(second));
}

TEST_F(Desktop, OwnerAnswersMultipleAndRefusesUnknownPairs) {
    ASSERT_TRUE(OfferClipboardX11("一行"));
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    Atom multiple = XInternAtom(d, "MULTIPLE", False);
    Atom p1 = XInternAtom(d, "KIRRAMO_TEST_P1", False);
    Atom p2 = XInternAtom(d, "KIRRAMO_TEST_P2", False);
    Atom pairs[4] = {XInternAtom(d, "UTF8_STRING", False), p1, XInternAtom(d, "image/png", False), p2};
    Atom request = XInternAtom(d, "KIRRAMO_TEST_MULTIPLE", False);
    XChangeProperty(d, w, request, XInternAtom(d, "ATOM_PAIR", False), 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(pairs), 4);
    XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), multiple, request, w, CurrentTime);
    XEvent ev;
    do {
        XNextEvent(d, &ev);
    } while (ev.type != SelectionNotify);
    EXPECT_EQ(ev.xselection.property, request);

    auto read = [&](Atom property, Atom& type) {
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::string out;
        if (XGetWindowProperty(d, w, property, 0, 1 << 20, False, AnyPropertyType, &type, &format,
                               &count, &after, &data) == Success && data) {
            out.assign(reinterpret_cast<char*>(data), format == 32 ? count * sizeof(long) : count);
        }
        if (data) XFree(data);
        return out;
    };
    Atom type;
    EXPECT_EQ(read(p1, type), "一行");
    std::string answered = read(request, type);
    ASSERT_EQ(answered.size(), 4 * sizeof(long));
    const long* back = reinterpret_cast<const long*>(answered.data());
    EXPECT_EQ(static_cast<Atom>(back[0]), pairs[0]);
    EXPECT_EQ(static_cast<Atom>(back[2]), static_cast<Atom>(kXNone));
    XCloseDisplay(d);
}

TEST_F(Desktop, ProcessWithThreadsStartsTheOwnerAnew) {
    // Started by a program that ignores SIGCHLD: the owner's start still reports.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGCHLD, &ignore, &old);
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread other([&] {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return done; });
    });
    bool offered = OfferClipboardX11("スレッドあり\r\n");
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_one();
    other.join();
    sigaction(SIGCHLD, &old, nullptr);
    ASSERT_TRUE(offered);
    EXPECT_EQ(ReadClipboard(), "スレッドあり\r\n");
    EXPECT_NE(OwnerPid(), getpid());
}

TEST_F(Desktop, HeldKeysFollowTheServer) {
    if (!OnPath("xdotool")) GTEST_SKIP() << "needs xdotool";
    EXPECT_FALSE(QueryHeldKeysX11().shift);
    EXPECT_FALSE(QueryHeldKeysX11().control);
    ASSERT_EQ(std::system("xdotool keydown Shift_R"), 0);
    EXPECT_TRUE(QueryHeldKeysX11().shift);
    EXPECT_FALSE(QueryHeldKeysX11().control);
    ASSERT_EQ(std::system("xdotool keyup Shift_R keydown Control_L"), 0);
    EXPECT_FALSE(QueryHeldKeysX11().shift);
    EXPECT_TRUE(QueryHeldKeysX11().control);
    ASSERT_EQ(std::system("xdotool keydown Shift_L"), 0);
    const HeldKeys both = QueryHeldKeysX11();  // both from one look
    EXPECT_TRUE(both.shift);
    EXPECT_TRUE(both.control);
    ASSERT_EQ(std::system("xdotool keyup Control_L keyup Shift_L"), 0);
    const HeldKeys none = QueryHeldKeysX11();
    EXPECT_FALSE(none.shift || none.control);
}

// Runs f with DISPLAY and WAYLAND_DISPLAY as given and returns what it wrote to
// standard error.
template <class F>
std::string StandardErrorOf(const char* display, const char* wayland, F f) {
    std::string savedDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
    wayland ? setenv("WAYLAND_DISPLAY", wayland, 1) : unsetenv("WAYLAND_DISPLAY");
    char path[] = "/tmp/kirramo-stderr-XXXXXX";
    int fd = mkstemp(path);
    int saved = dup(2);
    fflush(stderr);
    dup2(fd, 2);
    f();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::ifstream in(path, std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    close(fd);
    unlink(path);
    savedDisplay.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", savedDisplay.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    return out;
}

TEST(DesktopWithoutDisplay, ReportsFailureAndWritesMessagesAsText) {
    const std::string message = "\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。/x <y>";
    EXPECT_EQ(StandardErrorOf(nullptr, nullptr, [&] { ShowMessageBox(message); }), message + "\n");
    EXPECT_EQ(StandardErrorOf(nullptr, nullptr, [] { ShowMessageBox("一行\n"); }), "一行\n");
    // A display that cannot be opened: the box falls back to text, the clipboard and
    // the keys report failure.
    EXPECT_EQ(StandardErrorOf(":8123", nullptr, [&] { ShowMessageBox(message); }), message + "\n");
    // ... also when the exit status of the box's process cannot be collected.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGCHLD, &ignore, &old);
    EXPECT_EQ(StandardErrorOf(":8123", nullptr, [&] { ShowMessageBox(message); }), message + "\n");
    sigaction(SIGCHLD, &old, nullptr);
    StandardErrorOf(":8123", nullptr, [] {
        EXPECT_EQ(DetectDisplay(), DisplayKind::X11);
        // Unreachable: the next road takes the text, and the user is told why.
        const PlaceResult x11 = X11OwnerSink().Place("x");
        EXPECT_EQ(x11.kind, PlaceResult::Kind::Unreachable);
        EXPECT_EQ(x11.why, "ディスプレイ「:8123」に接続できません。");
        EXPECT_FALSE(QueryHeldKeysX11().shift);
    });
    // No compositor at WAYLAND_DISPLAY: unreachable as well, without starting wl-copy.
    StandardErrorOf(nullptr, "kirramo-no-such-wayland", [] {
        EXPECT_EQ(DetectDisplay(), DisplayKind::Wayland);
        const PlaceResult wayland = WlCopySink().Place("x");
        EXPECT_EQ(wayland.kind, PlaceResult::Kind::Unreachable);
        EXPECT_EQ(wayland.why, "Wayland のディスプレイ「kirramo-no-such-wayland」に接続できません。");
    });
    StandardErrorOf(nullptr, nullptr, [] { EXPECT_EQ(DetectDisplay(), DisplayKind::None); });
}

}  // namespace
}  // namespace kirramo::posix
