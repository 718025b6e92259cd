// The backend test program; started again by a test, it plays one of the child roles.
#include <gtest/gtest.h>

#include "win32/Win32Testing.h"

#include <shellapi.h>

namespace kirramo::win32::testing {

namespace {

void WriteOut(const std::string& bytes) {
    DWORD put = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
}

std::vector<std::wstring> OwnArguments() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    LocalFree(argv);
    return args;
}

}  // namespace

int RunChildMode(const std::wstring& mode) {
    if (mode.starts_with(L"args:")) {
        std::string text = Narrow(ArgumentTextOf(GetCommandLineW())) + "\n";
        for (const std::wstring& a : OwnArguments()) text += Narrow(a) + "\n";
        // Written under another name first, so that the file appears whole to a test
        // that waits for it.
        const std::wstring out = mode.substr(5), part = out + L".part";
        return WriteBytes(part, text) && MoveFileW(part.c_str(), out.c_str()) ? 0 : 1;
    }
    if (mode == L"codepages") {
        WriteOut(std::to_string(GetACP()) + " " + std::to_string(GetOEMCP()) + "\n");
        return 0;
    }
    if (mode == L"tree") {
        // The layout of the tree command: two header lines, the folder, the drawing.
        std::wstring text = L"フォルダー パスの一覧\r\nボリューム シリアル番号は 0000-0000 です\r\n";
        for (const std::wstring& a : OwnArguments()) text += L"[" + a + L"]\r\n";
        text += L"└─日本語\r\n";
        WriteOut(ToCodePage(text, GetOEMCP()));
        return 0;
    }
    return 2;
}

}  // namespace kirramo::win32::testing

int main(int argc, char** argv) {
    wchar_t mode[1024];
    DWORD n = GetEnvironmentVariableW(kirramo::win32::testing::kChildModeVariable, mode, 1024);
    if (n > 0 && n < 1024) return kirramo::win32::testing::RunChildMode(mode);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
