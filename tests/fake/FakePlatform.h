// An in-memory, Windows-style Platform for tests.
//
// Paths look as on Windows: drive roots "C:" ("C:\" for the root itself), UNC roots
// "\\server\share", '\' between components. Look-ups ignore ASCII case; names keep
// the case they were added with. Folders list their entries in case-insensitive name
// order, as NTFS does. Every outside service (clipboard, message box, tree command,
// settings file, held keys ...) is a public field that a test sets or reads back.
//
//   FakePlatform fs;
//   fs.AddFile("C:\\dir\\a.txt", 1234, FakePlatform::Ticks(2024, 1, 2, 3, 4, 5));
//   fs.AddFolder("C:\\Program Files").shortName = "PROGRA~1";
//   fs.driveConnections["Z:"] = "\\\\server\\share";
//   fs.commandLine = "C:\\dir\\a.txt";
//
// In the "/" style (FakePlatform fs(FakePlatform::Style::Slash)) paths look as on Linux:
// one root "/", '/' between components, look-ups that keep case, no short names, and
// driveConnections naming mount points ("/mnt/share" -> "//server/share"; an empty
// share marks a local mount). "/" itself is always a mount.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace kirramo {

class FakePlatform : public Platform {
public:
    // One file, folder or folder link of the in-memory file system.
    struct Node {
        std::string name;          // long name as stored (empty for a root)
        std::string shortName;     // 8.3 name; empty when the entry has none
        uint32_t attributes = 0;   // kAttr* flags
        uint64_t size = 0;
        FileTicks writeTime = kNoTime;
        FileTicks creationTime = kNoTime;
        std::string linkTarget;    // a folder link: the path of the folder it leads to
        uint64_t serial = 0;       // the index part of the FileId
        uint64_t volume = 0;
        std::map<std::string, std::unique_ptr<Node>> children;  // keyed by folded name
        bool IsDir() const { return (attributes & kAttrDirectory) != 0; }
    };

    enum class Style { Windows, Slash };
    explicit FakePlatform(Style style = Style::Windows);
    ~FakePlatform() override;

    // ---- Building the file system ----
    // Adds (or updates) a file; missing parent folders are created.
    Node& AddFile(const std::string& path, uint64_t size = 0, FileTicks writeTime = kNoTime,
                  uint32_t attributes = kAttrArchive);
    // Adds a folder (and its missing parents); an existing folder is returned as it is.
    Node& AddFolder(const std::string& path, FileTicks creationTime = kNoTime,
                    uint32_t extraAttributes = 0);
    // Adds a folder link at linkPath that leads to the folder targetPath.
    Node& AddLink(const std::string& linkPath, const std::string& targetPath);
    // Gives an existing entry its 8.3 name.
    void SetShortName(const std::string& path, const std::string& shortName);
    // Removes an entry (and everything below it); false when it does not exist.
    bool Remove(const std::string& path);
    // The entry a path names (links not followed for the last component), or nullptr.
    Node* Find(const std::string& path);

    // A tick count from calendar fields, UTC (FileTicks scale).
    static FileTicks Ticks(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0, int millisecond = 0);
    // ASCII case folds used for look-up and sorting.
    static std::string FoldUpper(const std::string& s);
    static std::string FoldLower(const std::string& s);

    // ---- Knobs and records (tests set and read these directly) ----
    bool hasShortNames = true;
    bool shortPathFails = false;                   // ShortPath fails for every path
    std::map<std::string, std::string> driveConnections;  // "Z:" -> "\\server\share"; "/" style: mounts
    int utcOffsetMinutes = 9 * 60;                 // UtcToLocal's fixed offset
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";

    std::optional<std::string> commandLine;        // CommandLineText()
    std::vector<std::string> argumentList;         // ArgumentList()

    // Tree command: folder text (exact) -> output lines, or nullopt for "could not run".
    std::map<std::string, std::optional<std::vector<std::string>>> treeOutputs;
    std::vector<std::pair<std::string, bool>> treeCalls;  // (folder, withFiles)
    std::vector<bool> treeStopAnswers;  // what the checkpoint answered at each call (false: none given)


    std::vector<int> sleeps;                       // every SleepMs argument

    // Called as a listing hands out each entry, with the folder as OpenDir got it and
    // the entry's name: a slow listing (the test moves its clock, or cancels the run,
    // from here).
    using EntryHook = std::function<void(const std::string& folder, const std::string& name)>;
    EntryHook onListedEntry;

    // The settings file's bytes; nullopt: none. In the plain UTF-8 form they are the
    // settings text itself.
    std::optional<std::string> settingsText;
    int settingsReads = 0;                         // ReadSettingsBytes calls
    bool settingsWriteFails = false;
    int settingsWrites = 0;                        // WriteSettingsBytes calls
    std::string settingsLocation;                  // SettingsLocation(); set by the style
    // The plain form of the settings file: UTF-8 (as on Linux) unless this is set; then
    // cp932, the ANSI code page of a Japanese Windows, of which the fake knows ASCII, the
    // half-width katakana and a few double-byte characters (日本語前表「」テストあいソ).
    // Lines that are not UTF-8 are read as that cp932 either way; a pair it does not
    // know reads as "・".
    bool settingsInCp932 = false;

    std::optional<std::string> clipboard;          // nullopt until first emptied or set
    int clipboardEmptyCalls = 0;
    int clipboardSetAttempts = 0;                  // SetClipboardText calls, failed ones too
    int clipboardSizeMismatches = 0;               // pieces whose Size() was wrong
    int clipboardBusyFor = 0;                      // this many more Set attempts fail
    std::optional<std::string> clipboardFailure;   // set: each placing fails for good, for this cause
    bool clipboardEmptyFails = false;

    std::vector<std::string> messages;             // every MessageBox text
    std::vector<bool> waitCursorCalls;             // every SetWaitCursor argument
    bool waitCursorOn = false;

    bool anotherInstance = false;
    bool shiftHeld = false;
    bool controlHeld = false;
    std::vector<Key> keyQueries;                   // every IsKeyHeld argument, in order
    int instanceChecks = 0;                        // AnotherInstanceRunning calls
    int usageTextOpened = 0;

    // Call counts and arguments of the look-ups that tests want to count.
    int statCalls = 0;
    int openDirCalls = 0;
    int findLongNameCalls = 0;
    std::vector<std::string> findLongNameArgs;
    int driveConnectionCalls = 0;
    std::vector<std::string> driveConnectionArgs;
    int openDirsNow = 0;      // listings open at this moment
    int maxOpenDirs = 0;      // most listings open at one time
    std::vector<InfoWanted> openDirWanted;  // the InfoWanted of each OpenDir

    // ---- Platform ----
    char Separator() const override { return slash_ ? '/' : '\\'; }
    std::string CutRoot(std::string_view folder) const override;
    bool HasShortNames() const override { return hasShortNames && !slash_; }

    std::optional<EntryInfo> Stat(const std::string& path, InfoWanted wanted) override;
    std::unique_ptr<DirReader> OpenDir(const std::string& folder, InfoWanted wanted) override;
    std::optional<std::string> FindLongName(const std::string& path) override;
    std::optional<std::string> ShortPath(const std::string& path) override;
    std::optional<VolumeRoot> VolumeRootOf(const std::string& path) override;
    std::string DriveConnection(const VolumeRoot& root) override;

    std::optional<CivilTime> UtcToLocal(FileTicks t) override;
    std::string DateSeparator() override { return dateSeparator; }
    std::string TimeSeparator() override { return timeSeparator; }
    std::string GeneralDateText(const CivilTime& local) override;
    std::string GroupDigits(uint64_t n) override;

    std::vector<std::string> SortKeys(const std::vector<std::string>& lines) override;
    std::string UpperCase(const std::string& text) override { return FoldUpper(text); }

    std::optional<std::string> CommandLineText() override { return commandLine; }
    std::vector<std::string> ArgumentList() override { return argumentList; }
    std::optional<std::vector<std::string>> TreeCommandOutput(const std::string& folder, bool withFiles,
                                                              const TreeCheckpoint& checkpoint) override;
    void SleepMs(int ms) override { sleeps.push_back(ms); }

    std::optional<std::string> ReadSettingsBytes() override {
        ++settingsReads;
        return settingsText;
    }
    bool WriteSettingsBytes(const std::string& bytes) override;
    std::string SettingsLocation() const override { return settingsLocation; }
    std::string AnsiLineText(std::string_view line) override;
    std::optional<std::string> PlainSettingsBytes(const std::string& text) override;

    bool EmptyClipboard() override;
    bool SetClipboardText(const std::string& text) override;
    // Joins the pieces, counting a text whose Size() is not its joined length.
    bool SetClipboardPieces(const TextPieces& text) override;
    // As the plain calls say, unless clipboardFailure is set.
    Placing PlaceText(const std::string& text) override;
    Placing PlacePieces(const TextPieces& text) override;
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    void SetWaitCursor(bool on) override;

    bool AnotherInstanceRunning() override {
        ++instanceChecks;
        return anotherInstance;
    }
    bool IsKeyHeld(Key key) override {
        keyQueries.push_back(key);
        return key == Key::Shift ? shiftHeld : controlHeld;
    }
    void OpenUsageText() override { ++usageTextOpened; }

private:
    struct Parsed {
        std::string rootKey;                 // folded root ("C:" or "\\SERVER\SHARE")
        std::string rootText;                // the root as written
        std::vector<std::string> components; // the parts below the root
    };
    std::optional<Parsed> Parse(const std::string& path) const;
    std::optional<Parsed> ParseSlash(const std::string& path) const;
    // The key a name is kept under in its folder: folded to upper case in the Windows
    // style, the name itself in the "/" style.
    std::string KeyOf(const std::string& name) const { return slash_ ? name : FoldUpper(name); }
    Node* Root(const std::string& rootKey, bool create);
    // Follows a link to the folder it leads to (nullptr when the target is missing).
    Node* FollowLink(Node* node, int depth = 0);
    // Walks a parsed path; links on the way are followed, the last one only when asked.
    Node* Walk(const Parsed& p, bool followLast, int depth = 0);
    Node* Child(Node* folder, const std::string& component, bool byShortName = true) const;
    Node& Create(const std::string& path, bool folder);
    EntryInfo InfoOf(Node* node, InfoWanted wanted);

    const bool slash_;
    std::map<std::string, std::unique_ptr<Node>> roots_;
    std::map<std::string, uint64_t> volumes_;
    uint64_t nextSerial_ = 1;
};

}  // namespace kirramo
