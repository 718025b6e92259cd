// Stands in for Windows PowerShell while tests/wine/package.sh runs the Send To scripts
// under Wine, which has no PowerShell. It writes what a script handed it, as UTF-8
// lines, into the file that KIRRAMO_TEST_RECORD names:
//   args=<its command line after the program's own name, as the script wrote it>
//   exe=<KIRRAMO_EXE>
//   dir=<KIRRAMO_DIR>
// and ends with the exit code in KIRRAMO_TEST_EXIT (0 when that is not set), so a
// test can play PowerShell's success and failure.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// The command line without the program's name (quoted or not) and the blanks after it.
std::wstring Arguments() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int wmain() {
    const std::wstring record = Variable(L"KIRRAMO_TEST_RECORD");
    if (!record.empty()) {
        if (FILE* f = _wfopen(record.c_str(), L"wb")) {
            const std::string text = "args=" + Utf8(Arguments()) + "\nexe=" +
                                     Utf8(Variable(L"KIRRAMO_EXE")) + "\ndir=" +
                                     Utf8(Variable(L"KIRRAMO_DIR")) + "\n";
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    const std::wstring code = Variable(L"KIRRAMO_TEST_EXIT");
    return code.empty() ? 0 : _wtoi(code.c_str());
}
