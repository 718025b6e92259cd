#include "window/win32/ViewParts.h"

#include <commctrl.h>

#include <cmath>

#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

// Functions of newer systems, looked up at run time so that the program still starts
// where they are missing.
template <typename F>
F UserFunction(const char* name) {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    return user ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool HasFace(HDC dc, const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Registers a window class of the program's (its icon, the arrow pointer, the dialog
// background) unless it is registered already. False when it could not be.
bool RegisterViewClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    wc.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}
}  // namespace

int ControlIdOf(const std::vector<Control>& controls, std::string_view name) {
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        if (c.name != name) continue;
        if (c.isDefault) return IDOK;
        if (c.isCancel) return IDCANCEL;
        return kFirstControlId + static_cast<int>(i);
    }
    return 0;
}

const Control* ControlWithId(const std::vector<Control>& controls, int id) {
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        // A button that is both the default and the cancel button has the id IDOK, and
        // Esc's IDCANCEL reaches it all the same.
        if (id == IDOK ? c.isDefault : id == IDCANCEL ? c.isCancel : ControlIdOf(controls, c.name) == id) return &c;
    }
    return nullptr;
}

int Px(int twips, UINT dpi) { return static_cast<int>(std::lround(twips * static_cast<double>(dpi) / 1440.0)); }

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    UINT dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX)) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi ? dpi : 96;
}

UINT MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    if (HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
        auto get = reinterpret_cast<GetDpiForMonitorFn>(
            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        UINT x = 0, y = 0;
        bool ok = get && SUCCEEDED(get(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0;
        FreeLibrary(shcore);
        if (ok) return x;
    }
    return SystemDpi();
}

UINT WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
    UINT dpi = get ? get(hwnd) : 0;
    return dpi ? dpi : SystemDpi();
}

SIZE FormFrame::OuterSize(UINT dpi) const {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = UserFunction<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, Px(clientWidth, dpi), Px(clientHeight, dpi)};
    if (!adjust || !adjust(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HWND FormFrame::Create(WNDPROC proc, const PointerScreen& screen, int leftTwips, int topTwips, void* view) const {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterViewClass(windowClass, proc)) return nullptr;
    const SIZE outer = OuterSize(screen.dpi);
    return CreateWindowExW(exStyle, windowClass, Widen(caption).c_str(), style,
                           screen.work.left + Px(leftTwips, screen.dpi), screen.work.top + Px(topTwips, screen.dpi),
                           outer.cx, outer.cy, nullptr, nullptr, GetModuleHandleW(nullptr), view);
}

void FormFrame::Fit(HWND hwnd, UINT dpi) const {
    const SIZE outer = OuterSize(dpi);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int PointerScreen::WidthTwips() const { return static_cast<int>(std::lround((work.right - work.left) * TwipsPerPixel())); }

int PointerScreen::HeightTwips() const {
    return static_cast<int>(std::lround((work.bottom - work.top) * TwipsPerPixel()));
}

PointerScreen ScreenOfPointer() {
    PointerScreen screen;
    if (!GetCursorPos(&screen.cursor)) screen.cursor = POINT{0, 0};
    HMONITOR monitor = MonitorFromPoint(screen.cursor, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    screen.work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) screen.work = info.rcWork;
    screen.dpi = MonitorDpi(monitor);
    return screen;
}

std::wstring JapaneseFace(const std::string& designed) {
    HDC dc = GetDC(nullptr);
    std::wstring chosen;
    for (const std::wstring& face : {Widen(designed), std::wstring(L"MS PGothic"), std::wstring(L"MS UI Gothic"),
                                     std::wstring(L"Meiryo UI"), std::wstring(L"Yu Gothic UI"),
                                     std::wstring(L"Noto Sans CJK JP"), std::wstring(L"Noto Sans JP")}) {
        if (HasFace(dc, face)) {
            chosen = face;
            break;
        }
    }
    if (dc) ReleaseDC(nullptr, dc);
    if (chosen.empty()) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            chosen = metrics.lfMessageFont.lfFaceName;
    }
    return chosen;
}

HFONT CreateTextFont(const std::wstring& face, double points, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

void MoveToSuggestedPlace(HWND hwnd, LPARAM dpiChanged) {
    const RECT* suggested = reinterpret_cast<const RECT*>(dpiChanged);
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON ProgramIcon(int size) {
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResourceId),
                                              IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

std::wstring WindowText(HWND h) {
    const int length = GetWindowTextLengthW(h);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), length + 1)));
    return text;
}

}  // namespace kirramo::win32
