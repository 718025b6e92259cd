// Helpers of the Windows backend tests: a real temporary folder removed with everything
// in it, whole-file reads and writes, and the child process modes of the test program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Paths.h"
#include "platform/win32/WideText.h"

namespace kirramo::win32::testing {

// The test program started again as a child runs the mode named by this variable
// instead of the tests: "args:<file>" (writes its argument text and its arguments, one
// per line, to the file, which appears whole) or "tree" (writes a tree-like listing of its
// arguments to standard output in the OEM code page) or "codepages" (writes the ANSI
// and the OEM code page numbers to standard output).
inline constexpr wchar_t kChildModeVariable[] = L"KIRRAMO_TEST_CHILD";
int RunChildMode(const std::wstring& mode);

inline void RemoveTree(const std::wstring& path) {
    const std::wstring ext = ExtendedPath(path);
    DWORD attributes = GetFileAttributesW(ext.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(ext.c_str(), attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(ExtendedPath(path + L"\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
            } while (FindNextFileW(h, &data));
            FindClose(h);
        }
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(ext.c_str());
    else
        DeleteFileW(ext.c_str());
}

inline std::wstring TempRoot() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::wstring root(buf, n);
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    return root;
}

class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        for (;;) {
            path_ = TempRoot() + L"\\kirramo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(++counter);
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        }
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::string Utf8() const { return Narrow(path_); }

private:
    std::wstring path_;
};

inline bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(ExtendedPath(path).c_str(), nullptr) != 0; }

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(h);
    return ok;
}

inline std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

inline std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(ExtendedPath(folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
}

// This test program's own path, to start it again as a child.
inline std::wstring SelfPath() {
    wchar_t buf[32768];
    DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
    return std::wstring(buf, n);
}

// Sets the child mode for the children started while the object lives.
class ChildMode {
public:
    explicit ChildMode(const std::wstring& mode) { SetEnvironmentVariableW(kChildModeVariable, mode.c_str()); }
    ~ChildMode() { SetEnvironmentVariableW(kChildModeVariable, nullptr); }
};

}  // namespace kirramo::win32::testing
