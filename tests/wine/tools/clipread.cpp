// clipread.exe OUT_UNICODE OUT_ANSI
//
// Writes the clipboard's CF_UNICODETEXT bytes (UTF-16LE) and CF_TEXT bytes, each up to
// its terminating NUL, into the two files exactly as they are: the judge of what a
// program put on the clipboard, CR LF included. A format that is missing leaves its
// file unwritten and makes the exit status 1; a clipboard that cannot be opened, 2.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

bool WriteBytes(const wchar_t* path, const void* data, size_t size) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
    CloseHandle(file);
    return ok;
}

// The bytes of one clipboard format up to its NUL (of charSize bytes), within the
// memory block's size.
bool SaveFormat(UINT format, size_t charSize, const wchar_t* path) {
    HANDLE data = GetClipboardData(format);
    if (!data) return false;
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data));
    if (!bytes) return false;
    const size_t limit = GlobalSize(data);
    size_t length = 0;
    while (length + charSize <= limit) {
        bool nul = true;
        for (size_t k = 0; k < charSize; ++k) nul = nul && bytes[length + k] == 0;
        if (nul) break;
        length += charSize;
    }
    const bool ok = WriteBytes(path, bytes, length);
    GlobalUnlock(data);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 64;
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 100 && !(open = OpenClipboard(nullptr)); ++attempt) Sleep(50);
    if (!open) return 2;
    const bool unicode = SaveFormat(CF_UNICODETEXT, 2, argv[1]);
    const bool ansi = SaveFormat(CF_TEXT, 1, argv[2]);
    CloseClipboard();
    return unicode && ansi ? 0 : 1;
}
