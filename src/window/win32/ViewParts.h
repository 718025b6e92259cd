// What the Win32 views of the forms share: twips to pixels, the resolution of a monitor
// and of a window, the outer size of a window for its client area, the Japanese face
// of the texts and its fonts, the program's icon, where the pointer is, and the ids of
// the controls that carry the dialog keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The core's headers come before <windows.h>: its MessageBox macro would otherwise
// rename the Platform member of that name.
#include "window/SettingsForm.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace kirramo::win32 {

// The program's icon in its resources.
inline constexpr int kIconResourceId = 1;
// Control ids: the default button is IDOK and the cancel button IDCANCEL, so that Enter
// and Esc reach them through the dialog keys; every other control has this base plus
// its index among the form's controls.
inline constexpr int kFirstControlId = 100;

// The id of the named control among a form's controls, or 0 for an unknown name.
int ControlIdOf(const std::vector<Control>& controls, std::string_view name);
// The control that an id names (IDOK the default button, IDCANCEL the cancel button), or nullptr.
const Control* ControlWithId(const std::vector<Control>& controls, int id);

// Twips to pixels at a resolution: 15 twips a pixel at 96 dpi.
int Px(int twips, UINT dpi);
// The system's logical dots per inch.
UINT SystemDpi();
// The resolution of one monitor where the system tells it per monitor, else the system's.
UINT MonitorDpi(HMONITOR monitor);
// The resolution that a window is laid out for.
UINT WindowDpi(HWND hwnd);
// Where a form is placed: the pointer, and the work area and resolution of its monitor.
// A failed pointer query counts as (0, 0).
struct PointerScreen {
    POINT cursor{0, 0};
    RECT work{0, 0, 0, 0};
    UINT dpi = 96;
    double TwipsPerPixel() const { return 1440.0 / dpi; }
    // The pointer and the size of the work area in the terms of a form's placement: the
    // work area as a screen whose corner is (0, 0), its size in twips.
    int CursorX() const { return cursor.x - work.left; }
    int CursorY() const { return cursor.y - work.top; }
    int WidthTwips() const;
    int HeightTwips() const;
};
PointerScreen ScreenOfPointer();

// The top-level window of a form: its class, title, styles and client area (twips).
struct FormFrame {
    const wchar_t* windowClass;
    const char* caption;
    DWORD style, exStyle;
    int clientWidth, clientHeight;

    // Creates the window at the form's place (twips from the corner of the work area)
    // with the client area at the screen's resolution, registering the class with its
    // window procedure first; `view` is the creation's parameter. Null when it failed.
    HWND Create(WNDPROC proc, const PointerScreen& screen, int leftTwips, int topTwips, void* view) const;
    // Gives the window the outer size that makes its client area the form's at a resolution.
    void Fit(HWND hwnd, UINT dpi) const;
    SIZE OuterSize(UINT dpi) const;
};

// The face for the window's Japanese texts: the designed face where the system has it,
// else a Japanese user-interface face of the system, else the system's message font.
std::wstring JapaneseFace(const std::string& designed);
// A font of that face and size at a resolution, for Japanese text.
HFONT CreateTextFont(const std::wstring& face, double points, UINT dpi);

// The view object of a window: the creation's parameter, kept in the window's user data
// from WM_NCCREATE on; null for the messages that come before it.
template <typename View>
View* ViewOfWindow(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* view = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    }
    return reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// WM_DPICHANGED: the window was moved to a monitor of another resolution. Its lParam is
// the place that the system suggests for the window, which MoveToSuggestedPlace takes.
inline constexpr UINT kDpiChangedMessage = 0x02E0;
void MoveToSuggestedPlace(HWND hwnd, LPARAM dpiChanged);

// The program's icon at a size, or the system's application icon.
HICON ProgramIcon(int size);
// The text of a window or control.
std::wstring WindowText(HWND h);

}  // namespace kirramo::win32
