#include "window/win32/SettingsWindowWin32.h"

#include "platform/win32/WideText.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace kirramo::win32 {

namespace {

// A caption with the system menu and the close box, a fixed border. The group boxes
// leave their inside to the window's background, so the window paints under its
// children (no WS_CLIPCHILDREN).
constexpr FormFrame kFrame{kSettingsWindowClass,       SettingsForm::kCaption,      WS_CAPTION | WS_SYSMENU, 0,
                           SettingsForm::kClientWidth, SettingsForm::kClientHeight};

// Breaks a caption into lines that fit the width, between any two characters, but
// never before a character that may not begin a line in Japanese. The system breaks
// lines only at blanks, and a Japanese caption has none.
std::wstring BreakCaption(HDC dc, const std::wstring& caption, int width) {
    static const std::wstring kNoLineStart = L"ー）」』】、。，．・？！ぁぃぅぇぉっゃゅょァィゥェォッャュョ)]}.,:;!?%";
    std::wstring out;
    size_t start = 0;
    while (start < caption.size()) {
        size_t end = start + 1;
        SIZE extent{};
        while (end < caption.size() &&
               GetTextExtentPoint32W(dc, caption.data() + start, static_cast<int>(end + 1 - start), &extent) &&
               extent.cx <= width)
            ++end;
        while (end < caption.size() && end > start + 1 && kNoLineStart.find(caption[end]) != std::wstring::npos)
            --end;
        if (!out.empty()) out += L"\r\n";
        out.append(caption, start, end - start);
        start = end;
    }
    return out;
}

// Whether the control starts a group of the dialog keys: every control but an option
// button that follows another of its frame in tab order.
bool StartsGroup(const SettingsForm& form, const Control& c) {
    if (c.kind != ControlKind::OptionButton) return true;
    for (const Control& other : form.Controls())
        if (other.kind == ControlKind::OptionButton && other.container == c.container && other.tabIndex < c.tabIndex)
            return false;
    return true;
}

}  // namespace

SettingsWindowWin32::SettingsWindowWin32(SettingsForm& form) : form_(form) {}

SettingsWindowWin32::~SettingsWindowWin32() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (tooltip_) DestroyWindow(tooltip_);
    for (auto& [key, font] : fonts_) DeleteObject(font);
}

HWND SettingsWindowWin32::ControlHandle(std::string_view name) const {
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size() && i < controls_.size(); ++i)
        if (controls[i].name == name) return controls_[i];
    return nullptr;
}

const Control* SettingsWindowWin32::ControlById(int id) const {
    return ControlWithId(form_.Controls(), id);
}

bool SettingsWindowWin32::LoadAndShow() {
    // The form places the window on the work area of the pointer's monitor.
    const PointerScreen screen = ScreenOfPointer();
    form_.Load(screen.CursorX(), screen.CursorY(), screen.TwipsPerPixel(), screen.TwipsPerPixel(),
               screen.WidthTwips(), screen.HeightTwips());
    hwnd_ = kFrame.Create(WindowProc, screen, form_.WindowLeft(), form_.WindowTop(), this);
    if (!hwnd_) return false;
    fontFace_ = JapaneseFace(SettingsForm::kWindowFontFace);
    CreateControls();
    Place(WindowDpi(hwnd_));
    AddTooltips();
    Render();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    if (HWND first = ControlHandle(form_.InitialFocus())) SetFocus(first);
    return true;
}

// One child window per control, all of them children of the window itself: a group box
// draws a frame but does not pass its children's notifications on, so the frames are
// siblings placed behind their controls. The z-order is the tab order, followed by the
// labels and then the frames.
void SettingsWindowWin32::CreateControls() {
    const auto& controls = form_.Controls();
    controls_.assign(controls.size(), nullptr);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        const wchar_t* cls = L"STATIC";
        // Every control starts a group of its own, except an option button after the
        // first of its frame in tab order, which belongs to the group of the first
        // (arrow keys move between them).
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (StartsGroup(form_, c) ? WS_GROUP : 0);
        DWORD exStyle = 0;
        switch (c.kind) {
        case ControlKind::Frame:
            cls = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::CheckBox:
            cls = L"BUTTON";
            style |= BS_CHECKBOX | WS_TABSTOP;
            break;
        case ControlKind::OptionButton:
            cls = L"BUTTON";
            style |= BS_RADIOBUTTON | WS_TABSTOP;
            break;
        case ControlKind::ComboBox:
            cls = L"COMBOBOX";
            style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
            break;
        case ControlKind::TextBox:
            cls = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
            break;
        case ControlKind::Button:
            cls = L"BUTTON";
            style |= (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
            break;
        }
        controls_[i] = CreateWindowExW(exStyle, cls, Widen(c.caption).c_str(), style, 0, 0, 0, 0, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(form_, c.name))),
                                       GetModuleHandleW(nullptr), nullptr);
    }

    std::vector<HWND> order;
    for (const std::string& name : form_.TabOrder()) order.push_back(ControlHandle(name));
    for (ControlKind kind : {ControlKind::Label, ControlKind::Frame})
        for (size_t i = 0; i < controls.size(); ++i)
            if (controls[i].kind == kind) order.push_back(controls_[i]);
    HWND previous = HWND_TOP;
    for (HWND h : order) {
        if (!h) continue;
        SetWindowPos(h, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = h;
    }
}

void SettingsWindowWin32::AddTooltips() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].tooltip.empty() || !controls_[i]) continue;
        std::wstring text = Widen(controls[i].tooltip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(controls_[i]);
        tool.lpszText = text.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // The combo box's text field is a window of its own that takes the pointer.
        if (controls[i].kind == ControlKind::ComboBox) {
            if (HWND edit = FindWindowExW(controls_[i], nullptr, L"EDIT", nullptr)) {
                tool.uId = reinterpret_cast<UINT_PTR>(edit);
                SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
            }
        }
    }
}

HFONT SettingsWindowWin32::FontFor(const Control& c, double points) {
    const std::string face = c.fontFace.empty() ? SettingsForm::kWindowFontFace : c.fontFace;
    if (points <= 0) points = c.fontSize > 0 ? c.fontSize : SettingsForm::kWindowFontSize;
    HFONT& font = fonts_[{face, points}];
    if (!font) {
        const std::wstring wanted = Widen(face);
        const std::wstring& used = (face == SettingsForm::kWindowFontFace || face.empty()) ? fontFace_ : wanted;
        font = CreateTextFont(used.empty() ? fontFace_ : used, points, dpi_);
    }
    return font;
}

// Places every control from the form's twips at the window's resolution, makes the
// client area the form's size, and sets the fonts for that resolution.
void SettingsWindowWin32::Place(UINT dpi) {
    dpi_ = dpi;
    // The fonts of the old resolution go once every control has its new one.
    auto oldFonts = std::move(fonts_);
    fonts_.clear();

    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        HWND h = controls_[i];
        if (!h) continue;
        // A frame clips what it holds, as a container does: a control that the layout
        // lets reach past its frame's edge ends there.
        int left = c.left, top = c.top, width = c.width, ctlHeight = c.height;
        if (const Control* frame = c.container.empty() ? nullptr : form_.Find(c.container)) {
            width = std::min(width, frame->width - left);
            ctlHeight = std::min(ctlHeight, frame->height - top);
            left += frame->left;
            top += frame->top;
        }
        const int x = Px(left, dpi), y = Px(top, dpi);
        int w = Px(left + width, dpi) - x, height = Px(top + ctlHeight, dpi) - y;
        HFONT font = FontFor(c);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.kind == ControlKind::ComboBox) {
            // A combo box's height includes its drop-down list: room for the whole list.
            const int item = static_cast<int>(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0));
            height += (item > 0 ? item : height) * static_cast<int>(std::max<size_t>(c.list.size(), 1)) + 2;
        }
        if (c.kind == ControlKind::CheckBox) {
            // A box that the layout makes about two lines high shows a caption that is
            // too wide for one line on two, in a font small enough for both lines.
            std::wstring shown = Widen(c.caption);
            LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(BS_MULTILINE);
            const int room = w - MulDiv(GetSystemMetrics(SM_CXMENUCHECK) + 6, static_cast<int>(dpi),
                                        static_cast<int>(SystemDpi()));
            HDC dc = GetDC(h);
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            SIZE extent{};
            GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
            if (extent.cx > room && 2 * height >= 3 * tm.tmHeight) {
                if (2 * tm.tmHeight > height) {
                    const double points = (c.fontSize > 0 ? c.fontSize : SettingsForm::kWindowFontSize) * height /
                                          (2.0 * tm.tmHeight);
                    font = FontFor(c, std::floor(points * 4) / 4);
                    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
                    SelectObject(dc, font);
                }
                style |= BS_MULTILINE;
                shown = BreakCaption(dc, shown, room);
            }
            SelectObject(dc, old);
            ReleaseDC(h, dc);
            SetWindowLongPtrW(h, GWL_STYLE, style);
            SetWindowTextW(h, shown.c_str());
        }
        SetWindowPos(h, nullptr, x, y, w, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (auto& [key, font] : oldFonts) DeleteObject(font);
    kFrame.Fit(hwnd_, dpi);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// Shows the form's states: checks, selections, texts, captions and enabled states. A
// control takes input only while it and its frame are enabled.
void SettingsWindowWin32::Render() {
    rendering_ = true;
    const auto& controls = form_.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        HWND h = controls_[i];
        if (!h) continue;
        const bool usable = form_.IsUsable(c.name);
        if ((IsWindowEnabled(h) != FALSE) != usable) EnableWindow(h, usable);
        const bool visible = (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != c.visible) ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
        switch (c.kind) {
        case ControlKind::CheckBox:
            SendMessageW(h, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::OptionButton:
            SendMessageW(h, BM_SETCHECK, c.selected ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::ComboBox: {
            const int count = static_cast<int>(SendMessageW(h, CB_GETCOUNT, 0, 0));
            bool same = count == static_cast<int>(c.list.size());
            for (int k = 0; same && k < count; ++k) {
                const int length = static_cast<int>(SendMessageW(h, CB_GETLBTEXTLEN, k, 0));
                std::wstring item(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
                SendMessageW(h, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(item.data()));
                item.resize(static_cast<size_t>(std::max(length, 0)));
                same = item == Widen(c.list[static_cast<size_t>(k)]);
            }
            if (!same) {
                SendMessageW(h, CB_RESETCONTENT, 0, 0);
                for (const std::string& item : c.list)
                    SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
            }
            if (WindowText(h) != Widen(c.text)) SetWindowTextW(h, Widen(c.text).c_str());
            break;
        }
        case ControlKind::TextBox:
            if (WindowText(h) != Widen(c.text)) SetWindowTextW(h, Widen(c.text).c_str());
            break;
        case ControlKind::Label:
        case ControlKind::Frame:
            if (WindowText(h) != Widen(c.caption)) SetWindowTextW(h, Widen(c.caption).c_str());
            break;
        case ControlKind::Button:
            break;
        }
    }
    rendering_ = false;

    // The focus never stays on a control that can no longer take it.
    HWND focus = GetFocus();
    if (focus && focus != hwnd_ && IsChild(hwnd_, focus) && !IsWindowEnabled(focus)) {
        HWND next = GetNextDlgTabItem(hwnd_, focus, FALSE);
        SetFocus(next && IsWindowEnabled(next) ? next : hwnd_);
    }
}

LRESULT CALLBACK SettingsWindowWin32::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    SettingsWindowWin32* self = ViewOfWindow<SettingsWindowWin32>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->OnMessage(msg, wp, lp);
}

LRESULT SettingsWindowWin32::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_CLOSE:
        // The close box: the form decides what closing stores.
        if (busy_) return 0;
        form_.Close();
        DestroyWindow(hwnd_);
        return 0;
    case WM_QUERYENDSESSION:
        // The window never holds the session back.
        return TRUE;
    case WM_ENDSESSION:
        // Logging off or shutting down with the window open saves the options as closing
        // the window does; the system ends the process afterwards.
        if (wp) form_.EndSession();
        return 0;
    case WM_ACTIVATE:
        // Keeps the focus on the same control when the window is activated again.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) focusBeforeDeactivate_ = focus;
        } else if (focusBeforeDeactivate_ && IsWindow(focusBeforeDeactivate_) &&
                   IsWindowEnabled(focusBeforeDeactivate_)) {
            SetFocus(focusBeforeDeactivate_);
            return 0;
        }
        break;
    case kDpiChangedMessage:
        Place(LOWORD(wp));
        MoveToSuggestedPlace(hwnd_, lp);
        return 0;
    case WM_DESTROY:
        // The program ends when the window has closed.
        if (tooltip_) {
            DestroyWindow(tooltip_);
            tooltip_ = nullptr;
        }
        hwnd_ = nullptr;
        controls_.assign(controls_.size(), nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void SettingsWindowWin32::OnCommand(int id, int code) {
    if (busy_ || rendering_) return;
    const Control* c = ControlById(id);
    if (!c) return;
    const std::string name = c->name;
    // A control that the form does not let the user reach takes no action, whatever
    // message arrives for it.
    if (!form_.IsUsable(name)) return;
    HWND h = ControlHandle(name);
    switch (c->kind) {
    case ControlKind::CheckBox:
        if (code == BN_CLICKED) {
            form_.SetChecked(name, !c->checked);
            Render();
        }
        break;
    case ControlKind::OptionButton:
        if (code == BN_CLICKED) {
            form_.SelectOption(name);
            Render();
        }
        break;
    case ControlKind::ComboBox:
        if (code == CBN_EDITCHANGE) {
            form_.SetText(name, Narrow(WindowText(h)));
        } else if (code == CBN_SELCHANGE) {
            // The text field shows the chosen item only after this notification.
            const LRESULT index = SendMessageW(h, CB_GETCURSEL, 0, 0);
            if (index != CB_ERR) {
                const int length = static_cast<int>(SendMessageW(h, CB_GETLBTEXTLEN, index, 0));
                std::wstring item(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
                SendMessageW(h, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
                item.resize(static_cast<size_t>(std::max(length, 0)));
                form_.SetText(name, Narrow(item));
            }
        }
        break;
    case ControlKind::TextBox:
        if (code == EN_CHANGE) form_.SetText(name, Narrow(WindowText(h)));
        break;
    case ControlKind::Label:
        // A label that carries a command runs it on a click. A double-click is one click:
        // its first press has run the command, its second (STN_DBLCLK) runs nothing.
        if (c->command != Command::None && code == STN_CLICKED) RunCommand(c->command);
        break;
    case ControlKind::Button:
        if (code == BN_CLICKED) RunCommand(c->command);
        break;
    case ControlKind::Frame:
        break;
    }
}

// Runs a control's command to its end before the window takes anything else: during
// the collection run the window stays shown (the run's driver keeps serving it) but is
// disabled, so a second Get cannot start while the run or a message box of it waits.
void SettingsWindowWin32::RunCommand(Command command) {
    busy_ = true;
    const bool collects = command == Command::Get;
    if (collects) EnableWindow(hwnd_, FALSE);
    form_.Run(command);
    if (collects && hwnd_) EnableWindow(hwnd_, TRUE);
    busy_ = false;
    if (!hwnd_) return;
    if (form_.IsClosed()) DestroyWindow(hwnd_);
    else Render();
}

// Enter on a push button that has the focus presses that button, as in a dialog; on
// any other control it presses the default button (through the dialog keys).
bool SettingsWindowWin32::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) return false;
    const Control* c = ControlById(GetDlgCtrlID(focus));
    if (!c || c->kind != ControlKind::Button) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

int SettingsWindowWin32::RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (hwnd_ && PreTranslate(msg)) continue;
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool RunSettingsWindow(Session& session, Platform& platform, RunDriver* runs) {
    SettingsForm form(session, platform);
    form.SetRunDriver(runs);
    SettingsWindowWin32 window(form);
    if (!window.LoadAndShow()) return false;
    window.RunMessageLoop();
    return true;
}

}  // namespace kirramo::win32
