// The Win32 view of the progress window and the Windows run driver, in process under
// Wine (on the harness's display): the window built from the form without taking the
// focus, 中止 reaching the form by each of its ways, and a stop ending the run or, when
// the collection does not notice it (also while it waits for a message's OK), giving
// the run up after 150 ms.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "window/ProgressForm.h"
#include "window/win32/ProgressWindowWin32.h"
#include "window/win32/Win32RunDriver.h"

#include <commctrl.h>
// The member Platform::MessageBox, not the macro that names MessageBoxW.
#undef MessageBox

namespace kirramo::win32 {
namespace {

using Clock = std::chrono::steady_clock;

std::wstring Text(HWND h) {
    wchar_t buffer[256] = {};
    GetWindowTextW(h, buffer, 256);
    return buffer;
}

void Pump(ProgressWindowWin32& window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (window.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND FindProgressWindow() { return FindWindowW(kProgressWindowClass, L"Kirramo"); }

TEST(ProgressWindowWin32, ShowsTheFormWithoutTakingTheFocusAndEveryWayOfStoppingReachesIt) {
    enum Way { Button, Esc, CloseBox };
    for (Way way : {Button, Esc, CloseBox}) {
        SCOPED_TRACE(way);
        // The file manager's window, active when the progress window appears.
        HWND other = CreateWindowExW(0, L"STATIC", L"files", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetActiveWindow(other);
        RunProgress progress;
        progress.SetPathsTotal(1);
        progress.SetLines(1234);
        progress.EnterFolder("C:\\A & B");
        ProgressForm form(progress);
        ASSERT_TRUE(form.Tick(ProgressForm::kShowAfterMs));
        ProgressWindowWin32 window(form);
        ASSERT_TRUE(window.Draw());
        HWND w = window.Handle();
        Pump(window);
        EXPECT_EQ(Text(w), L"Kirramo");
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
        EXPECT_EQ(GetActiveWindow(), other);
        for (const kirramo::Control& c : form.Controls()) EXPECT_EQ(Text(window.ControlHandle(c.name)), Widen(c.caption));
        EXPECT_EQ(Text(window.ControlHandle("LblCounts")), L"1,234 行　1 フォルダー");
        HWND stop = window.ControlHandle("CmdStop");
        EXPECT_EQ(GetDlgCtrlID(stop), IDOK);
        EXPECT_EQ(Text(stop), L"中止");
        EXPECT_TRUE(GetWindowLongPtrW(window.BarHandle(), GWL_STYLE) & PBS_MARQUEE);

        // Several selected paths measure the work: the bar shows how much is done.
        progress.SetPathsTotal(4);
        progress.PathDone();
        ASSERT_TRUE(form.Tick(ProgressForm::kShowAfterMs + ProgressForm::kRefreshEveryMs));
        window.Draw();
        EXPECT_FALSE(GetWindowLongPtrW(window.BarHandle(), GWL_STYLE) & PBS_MARQUEE);
        EXPECT_EQ(SendMessageW(window.BarHandle(), PBM_GETPOS, 0, 0), 25);

        EXPECT_FALSE(progress.Cancelled());
        if (way == Button) SendMessageW(stop, BM_CLICK, 0, 0);
        if (way == Esc) PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1);
        if (way == CloseBox) PostMessageW(w, WM_CLOSE, 0, 0);
        Pump(window);
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_FALSE(IsWindowEnabled(stop));
        // The window stays until the run has ended.
        EXPECT_TRUE(IsWindow(w));
        DestroyWindow(other);
    }
}

TEST(Win32RunDriver, StopEndsTheRunOrGivesUpACollectionThatDoesNotNoticeIt) {
    for (bool noticed : {true, false}) {
        SCOPED_TRACE(noticed);
        RunProgress progress;
        std::atomic<bool> abandoned{false};
        Clock::time_point clicked{}, abandonedAt{};
        Win32RunDriver driver([&] {
            abandonedAt = Clock::now();
            abandoned = true;
        });
        bool appeared = false;
        driver.Collect(progress, [&] {
            HWND w = nullptr;
            for (int tries = 0; tries < 1000 && !((w = FindProgressWindow()) && IsWindowVisible(w)); ++tries) Sleep(10);
            appeared = w && IsWindowVisible(w);
            if (!appeared) return;
            // 中止 clicked from this thread, as another program's click would come.
            clicked = Clock::now();
            SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
            // A collection that notices the stop, or a listing that does not answer (a
            // hang guard limits both).
            for (int tries = 0; tries < 1000 && !(noticed ? progress.Cancelled() : abandoned.load()); ++tries) Sleep(5);
            if (!noticed) Sleep(100);
        });
        EXPECT_TRUE(appeared);
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_EQ(FindProgressWindow(), nullptr);
        EXPECT_EQ(abandoned.load(), !noticed);
        if (!noticed) {
            const auto after = std::chrono::duration_cast<std::chrono::milliseconds>(abandonedAt - clicked).count();
            EXPECT_GE(after, 150);
            EXPECT_LT(after, 250);
        }
    }
}

TEST(Win32RunDriver, AMessageThatTheCollectionShowsLeavesTheProgressWindowServed) {
    // The collection shows a message (as the short-form failure of a path is shown) and
    // waits for its OK; meanwhile the window appears and takes 中止, and the run is
    // given up. Giving it up here closes the box, as the end of the program would.
    Win32Platform platform;
    RunProgress progress;
    std::atomic<bool> abandoned{false};
    Win32RunDriver driver([&] {
        abandoned = true;
        PostMessageW(FindWindowW(L"#32770", L"Kirramo"), WM_COMMAND, IDOK, 0);
    });
    std::atomic<bool> clicked{false};
    std::thread user([&] {
        HWND w = nullptr;
        for (int tries = 0; tries < 1000 && !((w = FindProgressWindow()) && IsWindowVisible(w)); ++tries) Sleep(10);
        if (w && FindWindowW(L"#32770", L"Kirramo")) {
            SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
            clicked = true;
        }
    });
    driver.Collect(progress, [&] { platform.MessageBox("GetShortPathName Err0"); });
    user.join();
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_TRUE(abandoned);
}

}  // namespace
}  // namespace kirramo::win32
