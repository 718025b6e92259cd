// closebox.exe OUT_TEXT [COUNT]
//
// Waits for COUNT (default 1) message boxes titled "Kirramo", one after the other, and
// closes each with its OK button as a user would. Writes each box's text (UTF-8, one
// box per line, CR LF inside a text kept) and a description of its buttons and icon
// to OUT_TEXT:  "<text>\t<buttons>\t<icon|noicon>\n". Exit status 0 when every box came,
// 3 when one did not appear within a minute (a hang guard, not a timing check).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Text(HWND h) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(h, buffer, 4096);
    return buffer;
}

struct Box {
    std::wstring text, buttons;
    bool icon = false;
};

BOOL CALLBACK Child(HWND h, LPARAM param) {
    auto* box = reinterpret_cast<Box*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    // A box's template may hold controls that it does not show.
    if (!(style & WS_VISIBLE)) return TRUE;
    if (lstrcmpiW(cls, L"Button") == 0) {
        if (!box->buttons.empty()) box->buttons += L",";
        box->buttons += Text(h);
    } else if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        box->icon = box->icon || SendMessageW(h, STM_GETICON, 0, 0) != 0;
    } else if (lstrcmpiW(cls, L"Static") == 0 && box->text.empty()) {
        box->text = Text(h);
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 64;
    const int count = argc > 2 ? _wtoi(argv[2]) : 1;
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 2;
    int status = 0;
    for (int i = 0; i < count; ++i) {
        HWND box = nullptr;
        for (int tries = 0; tries < 1200 && !(box = FindWindowW(L"#32770", L"Kirramo")); ++tries) Sleep(50);
        if (!box) {
            status = 3;
            break;
        }
        Box found;
        EnumChildWindows(box, Child, reinterpret_cast<LPARAM>(&found));
        std::fprintf(out, "%s\t%s\t%s\n", Utf8(found.text).c_str(), Utf8(found.buttons).c_str(),
                     found.icon ? "icon" : "noicon");
        std::fflush(out);
        // OK, as a click on it; then wait until the box has gone.
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        for (int tries = 0; tries < 1200 && IsWindow(box); ++tries) Sleep(50);
    }
    std::fclose(out);
    return status;
}
