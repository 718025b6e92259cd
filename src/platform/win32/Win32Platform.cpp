// The Windows backend (operations filled in step by step).
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#undef MessageBox

namespace kirramo::win32 {

struct Win32Platform::Impl {
    std::wstring programFolder;
};

Win32Platform::Win32Platform(std::wstring programFolder) : impl_(std::make_unique<Impl>()) {
    impl_->programFolder = programFolder.empty() ? ExecutableFolder() : std::move(programFolder);
}
Win32Platform::~Win32Platform() = default;

std::wstring Win32Platform::ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}
std::wstring Win32Platform::SettingsPath() const { return impl_->programFolder + L"\\Tolvane.ini"; }
std::wstring Win32Platform::UsageTextPath() const { return impl_->programFolder + L"\\how to use.txt"; }

char Win32Platform::Separator() const { return '\\'; }
std::string Win32Platform::CutRoot(std::string_view folder) const {
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return std::string(folder.substr(0, 2));
    return std::string(folder);
}
bool Win32Platform::HasShortNames() const { return true; }

std::optional<EntryInfo> Win32Platform::Stat(const std::string&, InfoWanted) { return std::nullopt; }
namespace {
class EmptyReader : public DirReader {
public:
    bool Next(EntryInfo&) override { return false; }
};
}  // namespace
std::unique_ptr<DirReader> Win32Platform::OpenDir(const std::string&, InfoWanted) {
    return std::make_unique<EmptyReader>();
}
std::optional<std::string> Win32Platform::FindLongName(const std::string&) { return std::nullopt; }
std::optional<std::string> Win32Platform::ShortPath(const std::string&) { return std::nullopt; }
std::optional<VolumeRoot> Win32Platform::VolumeRootOf(const std::string&) { return std::nullopt; }
std::string Win32Platform::DriveConnection(const VolumeRoot&) { return {}; }

std::optional<CivilTime> Win32Platform::UtcToLocal(FileTicks) { return std::nullopt; }
std::string Win32Platform::DateSeparator() { return "/"; }
std::string Win32Platform::TimeSeparator() { return ":"; }
std::string Win32Platform::GeneralDateText(const CivilTime&) { return {}; }
std::string Win32Platform::GroupDigits(uint64_t n) { return std::to_string(n); }

std::vector<std::string> Win32Platform::SortKeys(const std::vector<std::string>& lines) { return lines; }
std::string Win32Platform::UpperCase(const std::string& text) { return text; }

std::optional<std::string> Win32Platform::CommandLineText() { return std::string(); }
std::vector<std::string> Win32Platform::ArgumentList() { return {}; }
WaitResult Win32Platform::ShellAndWait(const std::vector<std::string>&, int, uint32_t) {
    return WaitResult::NotStarted;
}
std::optional<std::vector<std::string>> Win32Platform::TreeCommandOutput(const std::string&, bool) {
    return std::nullopt;
}
void Win32Platform::SleepMs(int ms) { Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms)); }

std::optional<std::string> Win32Platform::ReadSettingsText() { return std::nullopt; }
bool Win32Platform::WriteSettingsText(const std::string&) { return false; }

bool Win32Platform::EmptyClipboard() { return false; }
bool Win32Platform::SetClipboardText(const std::string&) { return false; }
void Win32Platform::MessageBox(const std::string&) {}
void Win32Platform::SetWaitCursor(bool) {}

bool Win32Platform::AnotherInstanceRunning() { return false; }
bool Win32Platform::IsKeyHeld(Key) { return false; }
void Win32Platform::OpenUsageText() {}

}  // namespace kirramo::win32
