#include "window/win32/ProgressWindowWin32.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

// A caption with the close box (which acts as 中止), a fixed border.
constexpr FormFrame kFrame{kProgressWindowClass,       ProgressForm::kCaption,      WS_CAPTION | WS_SYSMENU, 0,
                           ProgressForm::kClientWidth, ProgressForm::kClientHeight};
// The bar's steps while the amount of work is unknown, in milliseconds.
constexpr int kMarqueeStepMs = 30;

}  // namespace

ProgressWindowWin32::ProgressWindowWin32(ProgressForm& form) : form_(form) {}

ProgressWindowWin32::~ProgressWindowWin32() {
    Close();
    if (font_) DeleteObject(font_);
}

void ProgressWindowWin32::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND ProgressWindowWin32::ControlHandle(std::string_view name) const {
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size() && i < controls_.size(); ++i)
        if (controls[i].name == name) return controls_[i];
    return nullptr;
}

bool ProgressWindowWin32::Draw() {
    if (!hwnd_) {
        if (failed_ || !Create()) {
            failed_ = true;
            return false;
        }
        Render();
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    } else {
        Render();
    }
    UpdateWindow(hwnd_);
    return true;
}

bool ProgressWindowWin32::Create() {
    const PointerScreen screen = ScreenOfPointer();
    form_.Place(screen.CursorX(), screen.CursorY(), screen.TwipsPerPixel(), screen.TwipsPerPixel(),
                screen.WidthTwips(), screen.HeightTwips());
    // Its own window, owned by none: the settings window, disabled while its run goes
    // on, does not take this one with it.
    hwnd_ = kFrame.Create(WindowProc, screen, form_.WindowLeft(), form_.WindowTop(), this);
    if (!hwnd_) return false;
    fontFace_ = JapaneseFace(SettingsForm::kWindowFontFace);

    const auto& controls = form_.Controls();
    controls_.assign(controls.size(), nullptr);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        const bool button = c.kind == ControlKind::Button;
        // A label too long for its line loses its middle, as the form shortens a path:
        // the drive and the folder's own name stay seen. No "&" in a path is taken for
        // a mnemonic.
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP |
                            (button ? (WS_TABSTOP | (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON))
                                    : (SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS));
        controls_[i] = CreateWindowExW(0, button ? L"BUTTON" : L"STATIC", Widen(c.caption).c_str(), style, 0, 0, 0, 0,
                                       hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(controls, c.name))),
                                       GetModuleHandleW(nullptr), nullptr);
    }
    const bool busy = form_.ProgressBar().percent == ProgressForm::kBusy;
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | (busy ? PBS_MARQUEE : 0), 0, 0, 0, 0,
                           hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (bar_) {
        SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
        if (busy) SendMessageW(bar_, PBM_SETMARQUEE, TRUE, kMarqueeStepMs);
    }
    Place(WindowDpi(hwnd_));
    return true;
}

// Places every control and the bar from the form's twips at the window's resolution,
// in the window's font at that resolution, and makes the client area the form's size.
void ProgressWindowWin32::Place(UINT dpi) {
    dpi_ = dpi;
    HFONT old = font_;
    font_ = CreateTextFont(fontFace_, SettingsForm::kWindowFontSize, dpi);
    auto put = [&](HWND h, int left, int top, int width, int height) {
        if (!h) return;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        const int x = Px(left, dpi), y = Px(top, dpi);
        SetWindowPos(h, nullptr, x, y, Px(left + width, dpi) - x, Px(top + height, dpi) - y,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        put(controls_[i], controls[i].left, controls[i].top, controls[i].width, controls[i].height);
    const ProgressForm::Bar& bar = form_.ProgressBar();
    put(bar_, bar.left, bar.top, bar.width, bar.height);
    if (old) DeleteObject(old);
    kFrame.Fit(hwnd_, dpi);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// Shows the form's texts, enabled states and bar.
void ProgressWindowWin32::Render() {
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        HWND h = controls_[i];
        if (!h) continue;
        const Control& c = controls[i];
        if ((IsWindowEnabled(h) != FALSE) != c.enabled) EnableWindow(h, c.enabled);
        const std::wstring caption = Widen(c.caption);
        if (WindowText(h) != caption) SetWindowTextW(h, caption.c_str());
    }
    if (!bar_) return;
    const int percent = form_.ProgressBar().percent;
    const bool busy = percent == ProgressForm::kBusy;
    const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
    if (((style & PBS_MARQUEE) != 0) != busy) {
        SetWindowLongPtrW(bar_, GWL_STYLE, busy ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
        SendMessageW(bar_, PBM_SETMARQUEE, busy, kMarqueeStepMs);
    }
    if (!busy) SendMessageW(bar_, PBM_SETPOS, percent, 0);
}

bool ProgressWindowWin32::PreTranslate(MSG& msg) { return hwnd_ && IsDialogMessageW(hwnd_, &msg); }

LRESULT CALLBACK ProgressWindowWin32::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ProgressWindowWin32* self = ViewOfWindow<ProgressWindowWin32>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->OnMessage(msg, wp, lp);
}

LRESULT ProgressWindowWin32::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: {
        // 中止 clicked, or Esc or Enter through the dialog keys.
        const Control* c = ControlWithId(form_.Controls(), LOWORD(wp));
        if (c && c->kind == ControlKind::Button && HIWORD(wp) == BN_CLICKED && form_.Run(c->command))
            Render();
        return 0;
    }
    case WM_CLOSE:
        // The close box acts as 中止; the window goes when the run has ended.
        form_.Close();
        Render();
        return 0;
    case WM_ACTIVATE:
        // Clicked, the window takes the keys: the focus on its button while it takes clicks.
        if (LOWORD(wp) != WA_INACTIVE) {
            for (size_t i = 0; i < controls_.size(); ++i)
                if (controls_[i] && form_.Controls()[i].kind == ControlKind::Button && IsWindowEnabled(controls_[i])) {
                    SetFocus(controls_[i]);
                    return 0;
                }
        }
        break;
    case kDpiChangedMessage:
        Place(LOWORD(wp));
        MoveToSuggestedPlace(hwnd_, lp);
        return 0;
    case WM_DESTROY:
        hwnd_ = nullptr;
        bar_ = nullptr;
        controls_.assign(controls_.size(), nullptr);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace kirramo::win32
