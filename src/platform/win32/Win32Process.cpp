#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/Win32Paths.h"
#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

// Largest tree listing read into memory.
constexpr uint64_t kMaxListingBytes = 1ull << 31;

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_;
};

// A uniquely named folder of our own under the user's temporary folder, removed (with
// whatever is left in it) when the object goes.
class PrivateTempFolder {
public:
    PrivateTempFolder() {
        std::wstring base(MAX_PATH + 1, L'\0');
        DWORD n = GetTempPathW(static_cast<DWORD>(base.size()), base.data());
        if (n > base.size()) {
            base.resize(n);
            n = GetTempPathW(static_cast<DWORD>(base.size()), base.data());
        }
        if (n == 0 || n > base.size()) return;
        base.resize(n);
        if (base.back() != L'\\') base += L'\\';
        const std::wstring stem = base + L"kirramo-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount64());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::wstring candidate = stem + L"-" + std::to_wstring(attempt);
            if (CreateDirectoryW(ExtendedPath(candidate).c_str(), nullptr)) {
                path_ = std::move(candidate);
                return;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) return;
        }
    }
    ~PrivateTempFolder() {
        if (path_.empty()) return;
        for (const std::wstring& file : files_) DeleteFileW(ExtendedPath(file).c_str());
        RemoveDirectoryW(ExtendedPath(path_).c_str());
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool Valid() const { return !path_.empty(); }
    // A file path inside the folder, deleted with it.
    std::wstring File(const wchar_t* name) {
        files_.push_back(path_ + L"\\" + name);
        return files_.back();
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

WaitResult WaitFor(HANDLE process, uint32_t timeoutMs) {
    switch (WaitForSingleObject(process, timeoutMs == 0 ? INFINITE : timeoutMs)) {
    case WAIT_OBJECT_0:
        return WaitResult::Ended;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    case WAIT_ABANDONED:
        return WaitResult::Abandoned;
    default:
        return WaitResult::Other;
    }
}

std::optional<std::string> ReadFrom(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kMaxListingBytes)
        return std::nullopt;
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find(L'\n', start);
        if (lf == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t end = (lf > start && text[lf - 1] == L'\r') ? lf - 1 : lf;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

WaitResult StartAndWait(const std::vector<std::wstring>& argv, int windowStyle, uint32_t timeoutMs) {
    if (argv.empty() || argv[0].empty()) return WaitResult::NotStarted;
    std::wstring commandLine = JoinCommandLine(argv);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return WaitResult::NotStarted;
    Handle process(pi.hProcess);
    CloseHandle(pi.hThread);
    return WaitFor(process.Get(), timeoutMs);
}

bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments) {
    std::vector<std::wstring> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = JoinCommandLine(argv);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::optional<std::vector<std::string>> TreeListing(const std::wstring& treeProgram, const std::wstring& folder,
                                                    bool withFiles) {
    PrivateTempFolder temp;
    if (!temp.Valid()) return std::nullopt;

    // Only the two handles made here are inheritable, and only they are handed on.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle output(CreateFileW(ExtendedPath(temp.File(L"tree.txt")).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ, &inherit, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    Handle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    if (!output || !nul) return std::nullopt;

    std::vector<std::wstring> argv{treeProgram};
    if (withFiles) argv.push_back(L"/F");
    argv.push_back(folder);
    std::wstring commandLine = JoinCommandLine(argv);

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si.StartupInfo;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = nul.Get();
    si.StartupInfo.hStdOutput = output.Get();
    si.StartupInfo.hStdError = nul.Get();
    DWORD flags = CREATE_NO_WINDOW;

    HANDLE handed[2] = {output.Get(), nul.Get()};
    std::vector<unsigned char> attributeBuffer;
    SIZE_T attributeSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    if (attributeSize > 0) {
        attributeBuffer.resize(attributeSize);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &attributeSize)) {
            if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handed, sizeof handed, nullptr,
                                          nullptr)) {
                si.StartupInfo.cb = sizeof si;
                si.lpAttributeList = list;
                flags |= EXTENDED_STARTUPINFO_PRESENT;
            } else {
                DeleteProcThreadAttributeList(list);
            }
        }
    }

    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(treeProgram.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                        nullptr, nullptr, &si.StartupInfo, &pi);
    if (si.lpAttributeList) DeleteProcThreadAttributeList(si.lpAttributeList);
    if (!started) return std::nullopt;
    CloseHandle(pi.hThread);
    {
        Handle process(pi.hProcess);
        WaitForSingleObject(process.Get(), INFINITE);
    }

    std::optional<std::string> bytes = ReadFrom(output.Get());
    output.Reset();
    if (!bytes) return std::nullopt;
    std::vector<std::string> lines;
    for (const std::wstring& line : SplitLines(FromCodePage(*bytes, GetOEMCP()))) lines.push_back(Narrow(line));
    return lines;
}

}  // namespace kirramo::win32
