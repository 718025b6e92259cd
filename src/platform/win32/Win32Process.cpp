#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/Win32Paths.h"
#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

// Largest tree listing read into memory.
constexpr size_t kMaxListingBytes = size_t{1} << 31;
// How often the output is collected while the tree command runs.
constexpr DWORD kPollMs = 10;

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

// Moves what the pipe holds now into bytes; false when the pipe has failed or the
// listing has grown past its limit.
bool Drain(HANDLE pipe, std::string& bytes) {
    char buf[65536];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE;  // every writer is gone: all read
        if (available == 0) return true;
        DWORD got = 0;
        if (!ReadFile(pipe, buf, std::min<DWORD>(available, sizeof buf), &got, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE;
        bytes.append(buf, got);
        if (bytes.size() > kMaxListingBytes) return false;
    }
}

// Reads the child's output while it runs and after it has ended. The end of the
// process, not the end of the pipe, ends the reading: a console host that still holds
// a copy of the pipe's write end for a moment (Wine's does) cannot hold the run up.
std::optional<std::string> ReadUntilEnded(HANDLE pipe, HANDLE process) {
    std::string bytes;
    for (;;) {
        if (!Drain(pipe, bytes)) return std::nullopt;
        if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0) break;
    }
    // Everything the process wrote before it ended is in the pipe now.
    if (!Drain(pipe, bytes)) return std::nullopt;
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
    // The listing comes through a pipe: no file is written anywhere, so nothing can be
    // overwritten or left behind.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return std::nullopt;
    Handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    if (!nul) return std::nullopt;

    std::vector<std::wstring> argv{treeProgram};
    if (withFiles) argv.push_back(L"/F");
    argv.push_back(folder);
    std::wstring commandLine = JoinCommandLine(argv);

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si.StartupInfo;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = nul.Get();
    si.StartupInfo.hStdOutput = writer.Get();
    si.StartupInfo.hStdError = nul.Get();
    // A console of its own, without a window: the command writes in the console's
    // code page, the OEM code page.
    DWORD flags = CREATE_NO_WINDOW;

    // Only the two handles made here are handed on, whatever else is inheritable.
    HANDLE handed[2] = {writer.Get(), nul.Get()};
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
    Handle process(pi.hProcess);
    writer.Reset();  // the child's copy is the only writer now
    nul.Reset();

    std::optional<std::string> bytes = ReadUntilEnded(reader.Get(), process.Get());
    if (!bytes) {
        WaitForSingleObject(process.Get(), INFINITE);
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (const std::wstring& line : SplitLines(FromCodePage(*bytes, GetOEMCP()))) lines.push_back(Narrow(line));
    return lines;
}

}  // namespace kirramo::win32
