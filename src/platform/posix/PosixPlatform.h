// The Linux backend: the Platform operations on top of POSIX, ICU, the desktop services
// of Desktop.h and the clipboard roads of ClipboardChooser.h. No operating-system header here, so the program's entry can
// include it next to the toolkit's headers.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace kirramo::posix {

// One line of /proc/self/mountinfo, with the octal escapes (\040 and friends) undone.
struct MountEntry {
    std::string root;        // the folder of the mounted file system that is mounted
    std::string mountPoint;  // where it is mounted
    std::string fsType;      // "ext4", "cifs", "nfs4", ...
    std::string source;      // "/dev/sda1", "//server/share", "server:/export", ...
};

// The mounts listed in mountinfo text, in the order given (later ones lie on top).
// Malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The network share behind a mount: the source of a cifs/smb3/smbfs mount
// ("//server/share") or of an nfs mount ("server:/export"), followed by the mounted
// folder when only part of the share is mounted; empty text for any other mount.
std::string ShareOfMount(const MountEntry& mount);

// The mount point of the mount that holds an absolute path: the longest mount point
// that is a whole-component prefix of it (the top one where several share a point).
// Nothing for a relative path or when no mount point fits.
const MountEntry* MountOfPath(const std::vector<MountEntry>& mounts, std::string_view path);

// The Linux program's command line, its options taken out. Options come before "--";
// every argument after it, and every argument before it that does not start with "-",
// is a path. Paths from file managers are absolute, so none of them starts with "-";
// a relative one that does is given after "--".
struct CommandLine {
    enum class Answer {
        None,         // run: the launch asked for, on the paths
        Help,         // --help: the usage on standard output, nothing else
        Version,      // --version: the version on standard output, nothing else
        WrongOption,  // an option not understood, or two launches that exclude each other
    };
    Answer answer = Answer::None;
    LaunchRequest launch = LaunchRequest::Keys;  // --names, --paths, --window
    std::string wrong;                           // WrongOption: the offending argument
    std::string conflicting;                     // WrongOption: the earlier launch it clashes with
    std::vector<std::string> paths;              // in the order given
};

// The arguments after the program's name (none when even the name is missing).
std::vector<std::string> ArgumentsAfterName(int argc, char** argv);

// Reads the arguments after the program's name. An option not understood wins over
// --help and --version; --help wins over --version.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The exit status of a command line with an option that is not understood.
inline constexpr int kExitWrongOption = 4;

// Answers --help, --version or a wrong option (anything but Answer::None): the usage
// or "kirramo <version>" on standard output, or a short message on standard error.
// Returns the exit status: 0, kExitWrongOption, or 2 when standard output could not
// be written.
int AnswerCommandLine(const CommandLine& line, const std::string& version);

// The usage that --help writes, in Japanese.
std::string UsageText();

class LookupTeam;

// What the program's entry hands the backend: the process-wide set-up stays in sight
// there, and the backend only calls what it is given.
struct PosixWiring {
    // Shares the look-ups of large listings with a second thread; nullptr: every
    // look-up on the calling thread.
    LookupTeam* lookups = nullptr;
    // Called once, right before the first folder is listed (a listing or a tree).
    std::function<void()> beforeFirstListing;
    // The message box; without one, messages go to standard error as text.
    std::function<void(const std::string& text)> messageBox;
};

class PosixPlatform : public Platform {
public:
    // The arguments are the paths the program was given (CommandLine::paths): each
    // relative one is taken against the current folder, and all are made plain by
    // their text ("a/./b/" is "a/b").
    PosixPlatform(std::vector<std::string> arguments, PosixWiring wiring = {});
    // The same for every argument after the program's name.
    PosixPlatform(int argc, char** argv, PosixWiring wiring = {});
    ~PosixPlatform() override;
    PosixPlatform(const PosixPlatform&) = delete;
    PosixPlatform& operator=(const PosixPlatform&) = delete;

    // Where the settings file lives: $XDG_CONFIG_HOME/kirramo/Tolvane.ini, by default
    // ~/.config/kirramo/Tolvane.ini.
    std::string SettingsPath() const;
    // The usage text "how to use.txt" beside the program, or in ../share/kirramo
    // when the program is installed; the first of the two when neither exists.
    std::string UsageTextPath() const;

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
    std::unique_ptr<SortKeyBuilder> NewSortKeyBuilder() override;
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
    bool SetClipboardPieces(const TextPieces& text) override;
    Placing PlaceText(const std::string& text) override;
    Placing PlacePieces(const TextPieces& text) override;
    void MessageBox(const std::string& text) override;
    void SetWaitCursor(bool on) override;

    bool AnotherInstanceRunning() override;
    bool IsKeyHeld(Key key) override;
    void OpenUsageText() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kirramo::posix
