// holdkeys.exe shift|ctrl|both -- PROGRAM ARGS...
//
// Presses Shift, Ctrl or both with SendInput, starts the program with the rest of the
// command line exactly as it was written, waits for it to end and releases the keys.
// The exit status is the program's (or 64 for a wrong call, 65 when it cannot start).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// Skips one argument of a raw command line (quotes group blanks) and the blanks after it.
const wchar_t* SkipArgument(const wchar_t* p) {
    bool quoted = false;
    for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p)
        if (*p == L'"') quoted = !quoted;
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

void SendKeys(const std::vector<WORD>& keys, bool up) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || std::wcscmp(argv[2], L"--") != 0) return 64;
    std::vector<WORD> keys;
    const std::wstring mode = argv[1];
    if (mode == L"shift" || mode == L"both") keys.push_back(VK_SHIFT);
    if (mode == L"ctrl" || mode == L"both") keys.push_back(VK_CONTROL);
    if (keys.empty()) return 64;

    // The program's command line: the raw text after "--".
    const wchar_t* rest = SkipArgument(SkipArgument(SkipArgument(GetCommandLineW())));
    std::wstring commandLine = rest;

    SendKeys(keys, false);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    DWORD status = 65;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &status);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SendKeys(keys, true);
    return static_cast<int>(status);
}
