#include "platform/win32/Win32Platform.h"

#include <windows.h>
// The member Platform::MessageBox, not the macro that names MessageBoxW.
#undef MessageBox

#include <algorithm>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Paths.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

// The largest settings file read; anything bigger is not a settings file.
constexpr uint64_t kMaxSettingsBytes = 16 * 1024 * 1024;

// One name per user session (the Local\ namespace), so that other users logged on to
// the same machine each have their own instance.
constexpr wchar_t kInstanceMutexName[] = L"Local\\Kirramo.SingleInstance.5d1f7a1c-3f0e-4b8e-9a57-2c6b0e4d9f31";

constexpr wchar_t kTitle[] = L"Kirramo";

// Text for the locale calls, which count in int: longer texts go in pieces that end
// on a whole character.
constexpr size_t kLocalePiece = 1 << 20;

size_t PieceEnd(std::wstring_view text, size_t pos) {
    size_t len = std::min(kLocalePiece, text.size() - pos);
    if (pos + len < text.size() && text[pos + len - 1] >= 0xD800 && text[pos + len - 1] < 0xDC00) --len;
    return pos + len;
}

std::wstring LocaleInfo(LCTYPE type, const wchar_t* fallback) {
    wchar_t buf[128];
    int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, static_cast<int>(std::size(buf)));
    return n > 1 ? std::wstring(buf, static_cast<size_t>(n - 1)) : std::wstring(fallback);
}

std::wstring FolderOfPath(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring SystemFolder() {
    wchar_t buf[MAX_PATH];
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buf, n);
    std::wstring big(n + 1, L'\0');
    n = GetSystemDirectoryW(big.data(), static_cast<UINT>(big.size()));
    if (n == 0 || n >= big.size()) return {};
    big.resize(n);
    return big;
}

SYSTEMTIME ToSystemTime(const CivilTime& c) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(c.year);
    st.wMonth = static_cast<WORD>(c.month);
    st.wDay = static_cast<WORD>(c.day);
    st.wHour = static_cast<WORD>(c.hour);
    st.wMinute = static_cast<WORD>(c.minute);
    st.wSecond = static_cast<WORD>(c.second);
    return st;
}

std::string NumericDateText(const CivilTime& c) {
    char buf[64];
    if (c.hour == 0 && c.minute == 0 && c.second == 0)
        snprintf(buf, sizeof buf, "%04d/%02d/%02d", c.year, c.month, c.day);
    else
        snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                 c.second);
    return buf;
}

bool PutOnClipboard(UINT format, const void* data, size_t bytes) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return false;
    void* p = GlobalLock(mem);
    if (!p) {
        GlobalFree(mem);
        return false;
    }
    memcpy(p, data, bytes);
    GlobalUnlock(mem);
    if (!SetClipboardData(format, mem)) {
        GlobalFree(mem);  // still ours when the clipboard did not take it
        return false;
    }
    return true;
}

}  // namespace

struct Win32Platform::Impl {
    std::wstring programFolder;
    HANDLE instanceMutex = nullptr;  // held for the life of the process once claimed
    HWND clipboardOwner = nullptr;
    std::optional<std::string> dateSeparator, timeSeparator;

    ~Impl() {
        if (clipboardOwner) DestroyWindow(clipboardOwner);
        if (instanceMutex) CloseHandle(instanceMutex);
    }

    // A message-only window of our own: the clipboard keeps its text only when an
    // owner window empties it and sets the data.
    HWND ClipboardOwner() {
        if (!clipboardOwner)
            clipboardOwner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             GetModuleHandleW(nullptr), nullptr);
        return clipboardOwner;
    }
};

Win32Platform::Win32Platform(std::wstring programFolder) : impl_(std::make_unique<Impl>()) {
    impl_->programFolder = programFolder.empty() ? ExecutableFolder() : std::move(programFolder);
    while (impl_->programFolder.size() > 1 &&
           (impl_->programFolder.back() == L'\\' || impl_->programFolder.back() == L'/'))
        impl_->programFolder.pop_back();
}

Win32Platform::~Win32Platform() = default;

std::wstring Win32Platform::ExecutableFolder() { return FolderOfPath(ModulePath()); }

std::wstring Win32Platform::SettingsPath() const { return impl_->programFolder + L"\\Tolvane.ini"; }

std::wstring Win32Platform::UsageTextPath() const { return impl_->programFolder + L"\\how to use.txt"; }

// ---- Path syntax ----

char Win32Platform::Separator() const { return '\\'; }

std::string Win32Platform::CutRoot(std::string_view folder) const {
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return std::string(folder.substr(0, 2));
    return std::string(folder);
}

bool Win32Platform::HasShortNames() const { return true; }

// ---- File system ----

std::optional<EntryInfo> Win32Platform::Stat(const std::string& path, InfoWanted wanted) {
    return StatPath(Widen(path), wanted);
}

std::unique_ptr<DirReader> Win32Platform::OpenDir(const std::string& folder, InfoWanted wanted) {
    return OpenFolder(Widen(folder), wanted);
}

std::optional<std::string> Win32Platform::FindLongName(const std::string& path) {
    std::optional<std::wstring> name = LongNameOf(Widen(path));
    if (!name) return std::nullopt;
    return Narrow(*name);
}

std::optional<std::string> Win32Platform::ShortPath(const std::string& path) {
    std::optional<std::wstring> shortPath = ShortPathOf(Widen(path));
    if (!shortPath) return std::nullopt;
    return Narrow(*shortPath);
}

std::optional<VolumeRoot> Win32Platform::VolumeRootOf(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const char d = path[0];
    if (!((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z'))) return std::nullopt;
    return VolumeRoot{path.substr(0, 2)};
}

std::string Win32Platform::DriveConnection(const VolumeRoot& root) {
    const std::wstring local = Widen(root.key);
    std::wstring remote(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD length = static_cast<DWORD>(remote.size());
        DWORD rc = WNetGetConnectionW(local.c_str(), remote.data(), &length);
        if (rc == NO_ERROR) {
            remote.resize(wcsnlen(remote.c_str(), remote.size()));
            return Narrow(remote);
        }
        if (rc != ERROR_MORE_DATA || length <= remote.size()) return {};
        remote.assign(length, L'\0');
    }
    return {};
}

// ---- Time texts ----

std::optional<CivilTime> Win32Platform::UtcToLocal(FileTicks t) {
    if (t < 0) return std::nullopt;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(t) & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(t) >> 32);
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&ft, &utc)) return std::nullopt;
    // The zone's rule for that date (summer or winter), not today's offset.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return std::nullopt;
    CivilTime c;
    c.year = local.wYear;
    c.month = local.wMonth;
    c.day = local.wDay;
    c.hour = local.wHour;
    c.minute = local.wMinute;
    c.second = local.wSecond;
    return c;
}

std::string Win32Platform::DateSeparator() {
    if (!impl_->dateSeparator) impl_->dateSeparator = Narrow(LocaleInfo(LOCALE_SDATE, L"/"));
    return *impl_->dateSeparator;
}

std::string Win32Platform::TimeSeparator() {
    if (!impl_->timeSeparator) impl_->timeSeparator = Narrow(LocaleInfo(LOCALE_STIME, L":"));
    return *impl_->timeSeparator;
}

std::string Win32Platform::GeneralDateText(const CivilTime& local) {
    const SYSTEMTIME st = ToSystemTime(local);
    wchar_t date[128], time[128];
    int nd = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date,
                             static_cast<int>(std::size(date)), nullptr);
    if (nd <= 1) return NumericDateText(local);
    std::wstring text(date, static_cast<size_t>(nd - 1));
    if (local.hour != 0 || local.minute != 0 || local.second != 0) {
        int nt = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, static_cast<int>(std::size(time)));
        if (nt <= 1) return NumericDateText(local);
        text += L' ';
        text.append(time, static_cast<size_t>(nt - 1));
    }
    return Narrow(text);
}

std::string Win32Platform::GroupDigits(uint64_t n) {
    // Groups of three whatever grouping the locale names (the Indian "3;2;0" among
    // them): the size column keeps one form on every machine; only the separator is
    // the user's.
    return GroupDigitsWith(n, Narrow(LocaleInfo(LOCALE_STHOUSAND, L",")));
}

// ---- Text ----

std::vector<std::string> Win32Platform::SortKeys(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    std::string key;
    for (const std::string& line : lines) {
        const std::wstring w = Widen(line);
        key.clear();
        // Very long lines are keyed by their first piece; the keys of lines that share
        // it then differ in the rest by nothing but the order of the stable sort.
        const int len = static_cast<int>(std::min(w.size(), kLocalePiece));
        if (len > 0) {
            const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
            int need = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.data(), len, nullptr, 0, nullptr, nullptr, 0);
            if (need > 0) {
                key.resize(static_cast<size_t>(need));
                need = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.data(), len,
                                     reinterpret_cast<LPWSTR>(key.data()), need, nullptr, nullptr, 0);
                key.resize(need > 0 ? static_cast<size_t>(need) : 0);
                while (!key.empty() && key.back() == '\0') key.pop_back();
            }
        }
        keys.push_back(key);
    }
    return keys;
}

std::string Win32Platform::UpperCase(const std::string& text) {
    std::wstring w = Widen(text);
    std::wstring out;
    out.reserve(w.size());
    for (size_t pos = 0; pos < w.size();) {
        const size_t end = PieceEnd(w, pos);
        const int len = static_cast<int>(end - pos);
        int need = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, w.data() + pos, len, nullptr, 0, nullptr,
                                 nullptr, 0);
        if (need <= 0) {
            out.append(w, pos, end - pos);
        } else {
            const size_t at = out.size();
            out.resize(at + static_cast<size_t>(need));
            LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, w.data() + pos, len, out.data() + at, need,
                          nullptr, nullptr, 0);
        }
        pos = end;
    }
    return Narrow(out);
}

// ---- Process and program ----

std::optional<std::string> Win32Platform::CommandLineText() {
    const wchar_t* line = GetCommandLineW();
    return Narrow(ArgumentTextOf(line ? line : L""));
}

std::vector<std::string> Win32Platform::ArgumentList() { return {}; }

// tree.com lists the whole tree: the checkpoint is not asked.
std::optional<std::vector<std::string>> Win32Platform::TreeCommandOutput(const std::string& folder, bool withFiles,
                                                                         const TreeCheckpoint&) {
    const std::wstring system = SystemFolder();
    if (system.empty()) return std::nullopt;
    return TreeListing(system + L"\\tree.com", Widen(folder), withFiles);
}

void Win32Platform::SleepMs(int ms) { Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms)); }

// ---- Settings file ----

std::optional<std::string> Win32Platform::ReadSettingsBytes() {
    HANDLE file = CreateFileW(ExtendedPath(SettingsPath()).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> read;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 && static_cast<uint64_t>(size.QuadPart) <= kMaxSettingsBytes) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        size_t done = 0;
        bool ok = true;
        while (done < bytes.size()) {
            if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
                ok = false;
                break;
            }
            if (got == 0) break;
            done += got;
        }
        if (ok) {
            bytes.resize(done);
            read = std::move(bytes);
        }
    }
    CloseHandle(file);
    return read;
}

std::string Win32Platform::SettingsLocation() const { return Narrow(SettingsPath()); }

std::string Win32Platform::AnsiLineText(std::string_view line) { return Narrow(FromCodePage(line, CP_ACP)); }

std::optional<std::string> Win32Platform::PlainSettingsBytes(const std::string& text) {
    // Only where the bytes read back as the very same text: a character that the code
    // page lacks would become its default character.
    const std::wstring wide = Widen(text);
    std::string ansi = ToCodePage(wide, CP_ACP);
    if (FromCodePage(ansi, CP_ACP) != wide) return std::nullopt;
    return ansi;
}

bool Win32Platform::WriteSettingsBytes(const std::string& bytes) {
    const std::wstring path = SettingsPath();
    // The new text goes into a file of its own beside the old one, which it replaces
    // only once it is written whole.
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        file = CreateFileW(ExtendedPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        ok = WriteFile(file, bytes.data() + done, want, &put, nullptr) && put > 0;
        done += put;
    }
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(ExtendedPath(temp).c_str(), ExtendedPath(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(ExtendedPath(temp).c_str());
    return ok;
}

// ---- User interface ----

bool Win32Platform::EmptyClipboard() {
    // Opened without an owner: the clipboard is left empty and owned by nobody, so no
    // other program waits on this one while the run is busy.
    if (!OpenClipboard(nullptr)) return false;
    const bool ok = ::EmptyClipboard() != 0;
    CloseClipboard();
    return ok;
}

bool Win32Platform::SetClipboardText(const std::string& text) {
    const std::wstring wide = Widen(text);
    const std::string ansi = ToCodePage(wide, CP_ACP);
    HWND owner = impl_->ClipboardOwner();
    if (!OpenClipboard(owner)) return false;
    bool ok = ::EmptyClipboard() != 0;
    // The Unicode text is the text; the ANSI form serves programs that read CF_TEXT.
    ok = ok && PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    if (ok) PutOnClipboard(CF_TEXT, ansi.c_str(), ansi.size() + 1);
    CloseClipboard();
    return ok;
}

void Win32Platform::MessageBox(const std::string& text) {
    MessageBoxW(nullptr, Widen(text).c_str(), kTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

void Win32Platform::SetWaitCursor(bool on) { SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW)); }

// ---- Start-up ----

bool Win32Platform::AnotherInstanceRunning() {
    if (impl_->instanceMutex) return false;  // this process holds it already
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    const DWORD error = GetLastError();
    if (!mutex) return error == ERROR_ACCESS_DENIED;  // one exists that is not ours to open
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    impl_->instanceMutex = mutex;
    return false;
}

bool Win32Platform::IsKeyHeld(Key key) {
    return GetAsyncKeyState(key == Key::Shift ? VK_SHIFT : VK_CONTROL) != 0;
}

void Win32Platform::OpenUsageText() {
    const std::wstring path = UsageTextPath();
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        MessageBox("使い方の説明「how to use.txt」が見つかりません。\r\n" + Narrow(path));
        return;
    }
    std::wstring notepad = SystemFolder() + L"\\notepad.exe";
    if (GetFileAttributesW(notepad.c_str()) == INVALID_FILE_ATTRIBUTES) {
        wchar_t windows[MAX_PATH];
        UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
        if (n > 0 && n < MAX_PATH) notepad = std::wstring(windows, n) + L"\\notepad.exe";
    }
    if (!StartDetached(notepad, {path}))
        MessageBox("使い方の説明を開けませんでした (notepad.exe)。\r\n" + Narrow(path));
}

}  // namespace kirramo::win32
