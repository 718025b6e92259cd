#include "platform/win32/Win32Paths.h"

#include <windows.h>

namespace kirramo::win32 {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::wstring FullPath(const std::wstring& path) {
    std::wstring buf(path.size() + 16, L'\0');
    for (;;) {
        DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
        if (n == 0) return path;
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(n + 1);
    }
}

}  // namespace

std::wstring_view ArgumentTextOf(std::wstring_view commandLine) {
    size_t i = 0;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"')
            quoted = !quoted;
        else if (IsBlank(c) && !quoted)
            break;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

std::wstring QuoteArgument(std::wstring_view argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos)
        return std::wstring(argument);
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote: double them there.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    // The closing quote follows: backslashes before it are doubled too.
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring out;
    for (const std::wstring& a : arguments) {
        if (!out.empty()) out += L' ';
        out += QuoteArgument(a);
    }
    return out;
}

std::wstring ExtendedPath(std::wstring_view path) {
    if (path.size() < kExtendedPathFrom) return std::wstring(path);
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return std::wstring(path);
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSlash(path[2]))
        return L"\\\\?\\" + FullPath(std::wstring(path));
    if (IsSlash(path[0]) && IsSlash(path[1])) {
        std::wstring full = FullPath(std::wstring(path));
        if (full.size() > 2 && IsSlash(full[0]) && IsSlash(full[1])) return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return std::wstring(path);
}

std::wstring OrdinaryPath(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + std::wstring(path.substr(8));
    if (path.starts_with(L"\\\\?\\") && path.size() >= 6 && path[5] == L':') return std::wstring(path.substr(4));
    return std::wstring(path);
}

}  // namespace kirramo::win32
