// The Windows backend: the Platform operations on top of wide (W) Win32 calls. Text is
// converted between UTF-8 and UTF-16 at each call. No Windows header here, so the
// program's entry and the window view may include it in any order with <windows.h>
// (whose MessageBox macro would otherwise rename the member of the same name).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace kirramo::win32 {

class Win32Platform : public Platform {
public:
    // programFolder: the folder of the settings file and of "how to use.txt"; empty
    // for the folder of the running executable.
    explicit Win32Platform(std::wstring programFolder = {});
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // The folder of the running executable, without a trailing separator.
    static std::wstring ExecutableFolder();
    // The settings file: programFolder + "\Tolvane.ini".
    std::wstring SettingsPath() const;
    // The usage text: programFolder + "\how to use.txt".
    std::wstring UsageTextPath() const;

    char Separator() const override;
    std::string CutRoot(std::string_view folder) const override;
    bool HasShortNames() const override;

    std::optional<EntryInfo> Stat(const std::string& path, InfoWanted wanted) override;
    std::unique_ptr<DirReader> OpenDir(const std::string& folder, InfoWanted wanted) override;
    std::optional<std::string> FindLongName(const std::string& path) override;
    std::optional<std::string> ShortPath(const std::string& path) override;
    std::optional<VolumeRoot> VolumeRootOf(const std::string& path) override;
    std::string DriveConnection(const VolumeRoot& root) override;

    std::optional<CivilTime> UtcToLocal(FileTicks t) override;
    std::string DateSeparator() override;
    std::string TimeSeparator() override;
    std::string GeneralDateText(const CivilTime& local) override;
    std::string GroupDigits(uint64_t n) override;

    std::vector<std::string> SortKeys(const std::vector<std::string>& lines) override;
    std::string UpperCase(const std::string& text) override;

    std::optional<std::string> CommandLineText() override;
    std::vector<std::string> ArgumentList() override;
    std::optional<std::vector<std::string>> TreeCommandOutput(const std::string& folder, bool withFiles,
                                                              const TreeCheckpoint& checkpoint) override;
    void SleepMs(int ms) override;

    std::optional<std::string> ReadSettingsBytes() override;
    bool WriteSettingsBytes(const std::string& bytes) override;
    std::string SettingsLocation() const override;
    std::string AnsiLineText(std::string_view line) override;
    std::optional<std::string> PlainSettingsBytes(const std::string& text) override;

    bool EmptyClipboard() override;
    bool SetClipboardText(const std::string& text) override;
    void MessageBox(const std::string& text) override;
    void SetWaitCursor(bool on) override;

    bool AnotherInstanceRunning() override;
    bool IsKeyHeld(Key key) override;
    void OpenUsageText() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kirramo::win32
