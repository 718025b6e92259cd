// The one narrow interface between Kirramo's core and the operating system.
//
// Every operation the core needs from the system goes through this class, so the
// same core runs on Windows (Win32Platform), Linux (PosixPlatform) and in tests
// (FakePlatform, an in-memory Windows-style file system). Texts are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kirramo {

// Attribute flags, with the values the Windows file system uses.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

// A point in time as a count of 100-nanosecond ticks since 1601-01-01 00:00 UTC
// (the Windows FILETIME scale). kNoTime marks a time that could not be read.
using FileTicks = int64_t;
inline constexpr FileTicks kNoTime = INT64_MIN;

// Calendar fields of a date and time of day, to the second.
struct CivilTime {
    int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Identity of a folder on its volume (device and inode on Linux, volume serial and
// file index on Windows); used to stop a walk from entering a folder it is already in.
struct FileId {
    uint64_t volume = 0, index = 0;
    bool valid = false;
    bool operator==(const FileId& o) const {
        return valid && o.valid && volume == o.volume && index == o.index;
    }
};

// What the system knows about one file or folder. An enumeration fills it for each
// entry, so the formatting of a listed entry never asks the file system again.
struct EntryInfo {
    std::string name;           // the entry's name (no folder), as stored on disk
    uint32_t attributes = 0;    // kAttr* flags
    uint64_t size = 0;          // bytes, files only
    FileTicks writeTime = kNoTime;     // last write time (UTC)
    FileTicks creationTime = kNoTime;  // creation (birth) time (UTC); for folders
    FileId id;                  // folder identity, where the system gives it cheaply
    bool hasSize = false;       // size filled
    bool hasTimes = false;      // writeTime / creationTime filled (when readable)
    bool IsDir() const { return (attributes & kAttrDirectory) != 0; }
};

// Which details an enumeration or a look-up must fill besides name and attributes.
// Leaving out what a run does not need lets a backend skip per-entry system calls.
struct InfoWanted {
    bool size = false;
    bool times = false;
    bool id = false;
};

// An open listing of one folder's entries, never "." or "..".
class DirReader {
public:
    virtual ~DirReader() = default;
    // The next entry, or false when there are no more (or the listing failed).
    virtual bool Next(EntryInfo& entry) = 0;
};

// The mount or mapped drive that holds a path, as far as the network form needs it.
struct VolumeRoot {
    std::string key;    // the local root text that a network form replaces: "Z:" or "/mnt/share"
};

// Makes the sort keys of one sort, one text at a time. It shares nothing with the
// Platform that made it, so another thread may use it while that Platform goes on
// working (one thread at a time per builder).
class SortKeyBuilder {
public:
    virtual ~SortKeyBuilder() = default;
    // Writes the key of a text into buffer when it fits into capacity bytes and returns
    // its length; otherwise returns a number above capacity: the capacity to call again
    // with. Keys compare as byte strings: the first differing byte decides (as
    // unsigned), and a key that is the start of another comes first. Texts with
    // different keys are in the order of the sorted list; a key may leave out finer
    // differences, which CompareEqualKeys then decides.
    virtual size_t Key(std::string_view text, unsigned char* buffer, size_t capacity) = 0;
    // The order of two texts whose keys are equal: negative, zero or positive as a
    // comes before, together with, or after b.
    virtual int CompareEqualKeys(std::string_view a, std::string_view b) = 0;
    // Whether the key of a text that holds `separator` at some position equals the key
    // of the text up to and with that separator followed by the key of the rest, so
    // that lines below one folder can share the key of the folder's part. May take a
    // few milliseconds; asked once per sort.
    virtual bool KeysJoinAfter(char separator) = 0;
};

// A text kept in pieces (the output lines and the line breaks between them), so that it
// can be written out without first being joined in one place.
class TextPieces {
public:
    virtual ~TextPieces() = default;
    // The length of the whole text in bytes.
    virtual size_t Size() const = 0;
    // Gives the pieces in order to sink; stops as soon as sink returns false and then
    // returns false.
    virtual bool Each(const std::function<bool(std::string_view)>& sink) const = 0;
    // The whole text in one string.
    std::string Joined() const {
        std::string text;
        text.reserve(Size());
        Each([&](std::string_view piece) {
            text += piece;
            return true;
        });
        return text;
    }
};

// Result codes of ShellAndWait.
enum class WaitResult : int { Ended = 0, NotStarted = 1, TimedOut = 2, Abandoned = 3, Other = 4 };

// Digits of n grouped by three with the given thousands separator ("1,234,567"), for
// backends whose locale form is fixed.
inline std::string GroupDigitsWith(uint64_t n, std::string_view separator) {
    const std::string digits = std::to_string(n);
    std::string out;
    out.reserve(digits.size() + separator.size() * (digits.size() / 3));
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

class Platform {
public:
    virtual ~Platform() = default;

    // ---- Path syntax ----
    // The separator of path components: '\\' on Windows, '/' on Linux.
    virtual char Separator() const = 0;
    // The root rule: a selected root folder ("C:\" or "/") is cut so that entry names
    // join onto it with one separator ("C:" or ""). Any other text comes back unchanged.
    virtual std::string CutRoot(std::string_view folder) const = 0;
    // Whether the file system has 8.3 short names (Windows); on Linux the short and
    // the long form of a path are the path itself.
    virtual bool HasShortNames() const = 0;

    // ---- File system ----
    // The entry that a path names (a file, a folder, a drive root; hidden and system
    // entries included), or nothing when it does not exist or cannot be reached.
    virtual std::optional<EntryInfo> Stat(const std::string& path, InfoWanted wanted) = 0;
    // Opens a listing of a folder. The folder text has no trailing separator; a cut
    // root ("C:" or "") stands for the root folder. A folder that cannot be read
    // gives a reader that yields nothing.
    virtual std::unique_ptr<DirReader> OpenDir(const std::string& folder, InfoWanted wanted) = 0;
    // The stored long name of the entry a path names (no wildcard), or nothing.
    virtual std::optional<std::string> FindLongName(const std::string& path) = 0;
    // The short (8.3) form of an existing path, or nothing when the system fails.
    virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
    // The volume root that a network form would replace for this path (the drive
    // "Z:" or the mount point), or nothing for a path without one.
    virtual std::optional<VolumeRoot> VolumeRootOf(const std::string& path) = 0;
    // The network share behind a volume root ("\\server\share", "//server/share",
    // "server:/export"), or empty text for a local one.
    virtual std::string DriveConnection(const VolumeRoot& root) = 0;

    // ---- Time texts ----
    // A UTC time in the machine's local time zone.
    virtual std::optional<CivilTime> UtcToLocal(FileTicks t) = 0;
    // The date and time separators of the user's locale ("/" and ":" in Japanese).
    virtual std::string DateSeparator() = 0;
    virtual std::string TimeSeparator() = 0;
    // The locale's general date-time form of a local time: short date, a blank and the
    // long time; the date alone at exactly 00:00:00 ("2007/07/16 1:10:00" in Japanese).
    virtual std::string GeneralDateText(const CivilTime& local) = 0;
    // Digits grouped by three with the locale's thousands separator ("1,234,567").
    virtual std::string GroupDigits(uint64_t n) = 0;

    // ---- Text ----
    // Keys whose byte order is the order of a sorted list box: ascending, without
    // regard to case, in the user's locale. keys[i] belongs to lines[i].
    virtual std::vector<std::string> SortKeys(const std::vector<std::string>& lines) = 0;
    // A key builder for one sort, in the order of SortKeys; nothing where the platform
    // has none, and the core then asks SortKeys for all keys at once.
    virtual std::unique_ptr<SortKeyBuilder> NewSortKeyBuilder() { return nullptr; }
    // The text in upper case, as far as the locale allows.
    virtual std::string UpperCase(const std::string& text) = 0;

    // ---- Process and program ----
    // The raw argument text after the program's own name, where the system keeps one
    // (Windows); nothing where the arguments arrive as a list (Linux).
    virtual std::optional<std::string> CommandLineText() = 0;
    // The arguments as a list, where the system gives one.
    virtual std::vector<std::string> ArgumentList() = 0;
    // Starts a command line and waits for it (timeoutMs 0: no limit).
    virtual WaitResult ShellAndWait(const std::vector<std::string>& argv, int windowStyle,
                                    uint32_t timeoutMs) = 0;
    // The tree command's listing of a folder (files too when withFiles), as text lines
    // without line ends; nothing when the command could not be run.
    virtual std::optional<std::vector<std::string>> TreeCommandOutput(const std::string& folder,
                                                                      bool withFiles) = 0;
    // Waits for the given time; used between clipboard attempts.
    virtual void SleepMs(int ms) = 0;

    // ---- Settings file ----
    // The settings file's text decoded to UTF-8, or nothing when it cannot be read.
    virtual std::optional<std::string> ReadSettingsText() = 0;
    // Writes the settings file in one piece: a new file beside the old one replaces it
    // only when the whole text is written. False when anything failed.
    virtual bool WriteSettingsText(const std::string& text) = 0;

    // ---- User interface ----
    // Empties the clipboard; false while another program holds it.
    virtual bool EmptyClipboard() = 0;
    // Puts the text on the clipboard as plain text; false while another program
    // holds it or when the clipboard cannot be reached.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // The same for a text in pieces. A platform that can take the text piece by piece
    // overrides it; this one joins the pieces first.
    virtual bool SetClipboardPieces(const TextPieces& text) { return SetClipboardText(text.Joined()); }
    // A modal message box titled "Kirramo" with one OK button and no icon.
    virtual void MessageBox(const std::string& text) = 0;
    // The screen-wide wait pointer on or off.
    virtual void SetWaitCursor(bool on) = 0;

    // ---- Start-up ----
    // True when another instance of the program is already running (the check also
    // claims the single-instance lock for this process).
    virtual bool AnotherInstanceRunning() = 0;
    enum class Key { Shift, Control };
    // Whether the key is held now; a key that cannot be queried counts as not held.
    virtual bool IsKeyHeld(Key key) = 0;
    // Opens the usage text with the desktop's viewer, without waiting.
    virtual void OpenUsageText() = 0;
};

}  // namespace kirramo
