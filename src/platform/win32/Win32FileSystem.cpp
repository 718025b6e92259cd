#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include "platform/win32/Win32Paths.h"
#include "platform/win32/WideText.h"

namespace kirramo::win32 {

namespace {

constexpr uint32_t kKnownAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive;

// A zero time is the file system's way of saying that it keeps none.
FileTicks TicksOf(const FILETIME& ft) {
    const uint64_t v = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    if (v == 0 || v > static_cast<uint64_t>(INT64_MAX)) return kNoTime;
    return static_cast<FileTicks>(v);
}

uint64_t SizeOf(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

// What a find record (WIN32_FIND_DATAW) and an attribute record
// (WIN32_FILE_ATTRIBUTE_DATA) both tell: kind, flags, size and times.
template <class Data>
EntryInfo EntryFrom(std::string name, const Data& d) {
    EntryInfo e;
    e.name = std::move(name);
    e.attributes = d.dwFileAttributes & kKnownAttributes;
    if (!e.IsDir()) {
        e.size = SizeOf(d.nFileSizeHigh, d.nFileSizeLow);
        e.hasSize = true;
    }
    e.writeTime = TicksOf(d.ftLastWriteTime);
    e.creationTime = TicksOf(d.ftCreationTime);
    e.hasTimes = true;
    return e;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:" alone names the current folder of drive C: to the system; to the core it is
// the cut form of the root "C:\".
std::wstring RootCompleted(const std::wstring& path) {
    if (path.size() == 2 && IsDriveLetter(path[0]) && path[1] == L':') return path + L'\\';
    return path;
}

std::wstring LastComponent(const std::wstring& path) {
    const size_t end = path.find_last_not_of(L"\\/");
    if (end == std::wstring::npos) return path;
    const size_t cut = path.find_last_of(L"\\/", end);
    const size_t begin = cut == std::wstring::npos ? 0 : cut + 1;
    // A drive root has no name of its own: the root text itself stands for it.
    if (begin == 0 && end == 1 && path[1] == L':') return path;
    return path.substr(begin, end + 1 - begin);
}

class FindHandle {
public:
    explicit FindHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~FindHandle() { Close(); }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void Close() { Reset(INVALID_HANDLE_VALUE); }
    void Reset(HANDLE h) {
        if (Valid()) FindClose(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

class FolderReader : public DirReader {
public:
    FolderReader(std::wstring folder, InfoWanted wanted) : folder_(std::move(folder)), wanted_(wanted) {
        const std::wstring mask = ExtendedPath(folder_ + L"\\*");
        HANDLE h = FindFirstFileExW(mask.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_LARGE_FETCH);
        // Systems before Windows 7 refuse the large-fetch flag.
        if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
            h = FindFirstFileExW(mask.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr, 0);
        search_.Reset(h);
        pending_ = search_.Valid();
    }

    bool Next(EntryInfo& entry) override {
        while (search_.Valid()) {
            if (!pending_ && !FindNextFileW(search_.Get(), &data_)) {
                search_.Close();  // the listing is over: its handle goes at once
                return false;
            }
            pending_ = false;
            const std::wstring_view name(data_.cFileName);
            if (name.empty() || name == L"." || name == L"..") continue;
            Fill(entry);
            return true;
        }
        return false;
    }

private:
    void Fill(EntryInfo& e) const {
        e = EntryFrom(Narrow(data_.cFileName), data_);
        // Junctions and symbolic links may lead anywhere: marked so that no walk enters
        // them. Other reparse points (cloud files, deduplicated files) are ordinary
        // entries to the user and stay as they are.
        if ((data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            (data_.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || data_.dwReserved0 == IO_REPARSE_TAG_SYMLINK))
            e.attributes |= kAttrLink;
        // A junction or a link to a folder is a folder to the walks, known by the
        // identity of its target, so that a link back up the tree is not entered.
        if (e.IsDir() && wanted_.id) e.id = FolderIdOf(folder_ + L"\\" + data_.cFileName);
    }

    std::wstring folder_;
    InfoWanted wanted_;
    WIN32_FIND_DATAW data_{};
    FindHandle search_;
    bool pending_ = false;
};

}  // namespace

FileId FolderIdOf(const std::wstring& path) {
    FileId id;
    const std::wstring full = ExtendedPath(RootCompleted(path));
    HANDLE h = CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.index = SizeOf(info.nFileIndexHigh, info.nFileIndexLow);
        id.valid = true;
    }
    CloseHandle(h);
    return id;
}

std::optional<EntryInfo> StatPath(const std::wstring& path, InfoWanted wanted) {
    if (path.empty()) return std::nullopt;
    const std::wstring full = RootCompleted(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ExtendedPath(full).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    EntryInfo e = EntryFrom(Narrow(LastComponent(path)), data);
    if (e.IsDir() && wanted.id) e.id = FolderIdOf(full);
    return e;
}

std::unique_ptr<DirReader> OpenFolder(const std::wstring& folder, InfoWanted wanted) {
    return std::make_unique<FolderReader>(folder, wanted);
}

std::optional<std::wstring> LongNameOf(const std::wstring& path) {
    // The path names one entry: a wildcard would make the search match others.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
    WIN32_FIND_DATAW data;
    FindHandle search(FindFirstFileW(ExtendedPath(path).c_str(), &data));
    if (!search.Valid()) return std::nullopt;
    return std::wstring(data.cFileName);
}

std::optional<std::wstring> ShortPathOf(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    const std::wstring full = ExtendedPath(path);
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetShortPathNameW(full.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::nullopt;
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(n);  // too small: n is the size needed, the final NUL included
    }
    // The prefix added for the call is no part of the result.
    const bool prefixed = full.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\?\\");
    return prefixed ? OrdinaryPath(buf) : buf;
}

}  // namespace kirramo::win32
