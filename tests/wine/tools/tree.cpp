// A stand-in for the Windows tree command (Wine has none), built as tree.com and put
// into the prefix's system folder: tree.com FOLDER [/F]
//
// Writes the listing of a Japanese Windows to standard output in the OEM code page,
// each line ending in CR LF:
//   two header lines, the folder in upper case, then the drawing: "├─" / "└─" (last)
//   before each subfolder, "│  " or four blanks as continuation under it. With /F a
//   folder's files come before its subfolders, indented by "│  " when subfolders
//   follow or four blanks when not, then one line holding only that indent.
//   "サブフォルダーは存在しません。" ends the listing of a folder without subfolders;
//   "無効なパスです。" follows the folder line when it is no folder.
// Entries are in name order without regard to case, so that tests are repeatable.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

std::string output;

void Line(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    output += bytes;
    output += "\r\n";
}

struct Listing {
    std::vector<std::wstring> files, folders;
};

Listing Read(const std::wstring& folder) {
    Listing listing;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return listing;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? listing.folders : listing.files).push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    auto less = [](const std::wstring& a, const std::wstring& b) {
        const int order = CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE);
        return order == CSTR_LESS_THAN || (order == CSTR_EQUAL && a < b);
    };
    std::sort(listing.files.begin(), listing.files.end(), less);
    std::sort(listing.folders.begin(), listing.folders.end(), less);
    return listing;
}

void Walk(const std::wstring& folder, const std::wstring& prefix, bool files, bool top) {
    const Listing listing = Read(folder);
    if (files && !listing.files.empty()) {
        const std::wstring indent = prefix + (listing.folders.empty() ? L"    " : L"│  ");
        for (const std::wstring& name : listing.files) Line(indent + name);
        Line(indent);
    }
    if (top && listing.folders.empty()) {
        Line(L"サブフォルダーは存在しません。");
        return;
    }
    for (size_t i = 0; i < listing.folders.size(); ++i) {
        const bool last = i + 1 == listing.folders.size();
        Line(prefix + (last ? L"└─" : L"├─") + listing.folders[i]);
        Walk(folder + L"\\" + listing.folders[i], prefix + (last ? L"    " : L"│  "), files, false);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool files = false;
    std::wstring folder;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"/F" || arg == L"/f") files = true;
        else if (arg == L"/A" || arg == L"/a") continue;
        else folder = arg;
    }
    if (folder.empty()) folder = L".";
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(folder.c_str(), 32768, full, nullptr);
    std::wstring path = (n > 0 && n < 32768) ? std::wstring(full, n) : folder;
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    std::wstring shown = path;
    CharUpperBuffW(shown.data(), static_cast<DWORD>(shown.size()));

    Line(L"フォルダー パスの一覧");
    Line(L"ボリューム シリアル番号は 0000-0000 です");
    Line(shown);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Line(L"無効なパスです。");
    } else {
        std::wstring walkFrom = path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
        Walk(walkFrom, L"", files, true);
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output.data(), static_cast<DWORD>(output.size()), &written, nullptr);
    return 0;
}
