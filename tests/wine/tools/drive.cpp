// drive.exe [progress] STEP...   drives the settings window of a running kirramo.exe
// (or, after "progress", its progress window) with messages, as a user would with the
// mouse and keys. Steps, run in order:
//   wait              wait for the window (a minute at most: a hang guard)
//   click NAME        a click on the control: BM_CLICK on buttons, check boxes and
//                     option buttons, a press and release of the left button on a label
//   text NAME VALUE   types the text into a text box or the combo box's text field
//   pick NAME INDEX   chooses an entry of the combo box's list, as the mouse would
//   key enter|esc|space|tab   the key, sent to the control that has the focus
//   state NAME        prints "NAME checked=0|1 enabled=0|1 text=..." (UTF-8)
//   dump              prints the state of every control, in the form's order
//   rect              prints the window's outer rectangle: "LEFT TOP WIDTH HEIGHT"
//   pointer X Y       moves the mouse pointer (before the window exists too)
//   screen            prints the work area of the primary monitor: "LEFT TOP WIDTH HEIGHT"
//   close             the window's close box
//   gone              wait until the window has closed
//   activate          makes the window the active one, as a click on its caption would
//   enabled           prints "enabled=0|1": whether the window itself takes input
//   foreground        prints the class of the active window of the desktop
//   absent MS         watches for MS milliseconds that the window does not show (exit 5
//                     when it did)
//   say TEXT          prints TEXT at once (a mark for a caller that times the steps)
// NAME is the control's name in the form (ChkTreeF, CboPattern, CmdGet, CmdStop ...).
// The exit status is 0, or 3 when the window did not come or go, 4 for an unknown
// control.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake/FakePlatform.h"
#include "platform/win32/WideText.h"
#include "window/ProgressForm.h"
#include "window/SettingsForm.h"
#include "window/win32/ProgressWindowWin32.h"
#include "window/win32/SettingsWindowWin32.h"

using kirramo::win32::Narrow;
using kirramo::win32::Widen;

namespace {

const wchar_t* windowClass = kirramo::win32::kSettingsWindowClass;

HWND FindDrivenWindow() { return FindWindowW(windowClass, L"Kirramo"); }

std::wstring ClassOf(HWND h) {
    wchar_t name[256] = {};
    GetClassNameW(h, name, 256);
    return name;
}

std::wstring Text(HWND h) {
    const LRESULT length = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(h, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) return info.hwndFocus;
    return window;
}

void PrintState(const std::string& name, HWND h) {
    const LRESULT check = SendMessageW(h, BM_GETCHECK, 0, 0);
    std::printf("%s checked=%d enabled=%d text=%s\n", name.c_str(), check == BST_CHECKED ? 1 : 0,
                IsWindowEnabled(h) ? 1 : 0, Narrow(Text(h)).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The form names its controls; the window numbers them from the form.
    kirramo::FakePlatform platform;
    kirramo::Session session;
    kirramo::SettingsForm settingsForm(session, platform);
    kirramo::RunProgress progress;
    kirramo::ProgressForm progressForm(progress);
    int first = 1;
    const std::vector<kirramo::Control>* controls = &settingsForm.Controls();
    if (argc > 1 && std::wstring(argv[1]) == L"progress") {
        windowClass = kirramo::win32::kProgressWindowClass;
        controls = &progressForm.Controls();
        first = 2;
    }
    auto control = [&](HWND window, const std::wstring& name) -> HWND {
        const int id = kirramo::win32::ControlIdOf(*controls, Narrow(name));
        return id ? GetDlgItem(window, id) : nullptr;
    };

    HWND window = FindDrivenWindow();
    for (int i = first; i < argc; ++i) {
        const std::wstring step = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (step == L"pointer") {
            const int x = _wtoi(next().c_str());
            const int y = _wtoi(next().c_str());
            SetCursorPos(x, y);
            continue;
        }
        if (step == L"screen") {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            std::printf("%ld %ld %ld %ld\n", work.left, work.top, work.right - work.left, work.bottom - work.top);
            continue;
        }
        if (step == L"say") {
            std::printf("%s\n", Narrow(next()).c_str());
            std::fflush(stdout);
            continue;
        }
        if (step == L"foreground") {
            std::printf("%s\n", Narrow(ClassOf(GetForegroundWindow())).c_str());
            continue;
        }
        if (step == L"wait") {
            for (int tries = 0; tries < 1200 && !((window = FindDrivenWindow()) && IsWindowVisible(window)); ++tries)
                Sleep(50);
            if (!window) return 3;
            continue;
        }
        if (step == L"absent") {
            const ULONGLONG until = GetTickCount64() + _wtoi(next().c_str());
            for (; GetTickCount64() < until; Sleep(10))
                if ((window = FindDrivenWindow()) && IsWindowVisible(window)) return 5;
            continue;
        }
        if (step == L"gone") {
            for (int tries = 0; tries < 1200 && window && IsWindow(window); ++tries) Sleep(50);
            if (window && IsWindow(window)) return 3;
            continue;
        }
        if (!window || !IsWindow(window)) return 3;
        if (step == L"activate") {
            SetForegroundWindow(window);
            continue;
        }
        if (step == L"enabled") {
            std::printf("enabled=%d\n", IsWindowEnabled(window) ? 1 : 0);
            continue;
        }
        if (step == L"dump") {
            for (const kirramo::Control& c : *controls)
                if (HWND h = control(window, Widen(c.name))) PrintState(c.name, h);
            continue;
        }
        if (step == L"rect") {
            RECT r{};
            GetWindowRect(window, &r);
            std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            continue;
        }
        if (step == L"close") {
            SendMessageW(window, WM_CLOSE, 0, 0);
            continue;
        }
        if (step == L"key") {
            const std::wstring key = next();
            const WPARAM vk = key == L"enter" ? VK_RETURN : key == L"esc" ? VK_ESCAPE : key == L"tab" ? VK_TAB : VK_SPACE;
            HWND focus = FocusOf(window);
            PostMessageW(focus, WM_KEYDOWN, vk, 1);
            PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
            // A message sent after the posted ones returns once they have been handled.
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
            continue;
        }
        const std::wstring name = next();
        HWND h = control(window, name);
        if (!h) {
            std::fprintf(stderr, "no control %s\n", Narrow(name).c_str());
            return 4;
        }
        if (step == L"click") {
            wchar_t cls[32] = {};
            GetClassNameW(h, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0) {
                SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                SendMessageW(h, WM_LBUTTONUP, 0, 0);
            } else {
                SendMessageW(h, BM_CLICK, 0, 0);
            }
        } else if (step == L"text") {
            // Typed: the old text selected and replaced key by key (a text set with
            // WM_SETTEXT would not notify from inside a combo box, nor would a user's).
            const std::wstring value = next();
            HWND edit = FindWindowExW(h, nullptr, L"Edit", nullptr);
            if (!edit) edit = h;
            SendMessageW(edit, EM_SETSEL, 0, -1);
            if (value.empty()) SendMessageW(edit, WM_CHAR, L'\b', 1);
            for (wchar_t c : value) SendMessageW(edit, WM_CHAR, c, 1);
        } else if (step == L"pick") {
            const int index = _wtoi(next().c_str());
            SendMessageW(h, CB_SETCURSEL, index, 0);
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
        } else if (step == L"state") {
            PrintState(Narrow(name), h);
        } else {
            return 64;
        }
    }
    return 0;
}
