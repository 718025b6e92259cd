// The file system as the core sees it: path syntax, one entry's details, folder
// listings, and the other forms of a path (long, short, the network share behind it).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kirramo {

// Attribute flags, with the values the Windows file system uses.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    // A symbolic link, or on Windows a junction or folder link (a reparse point of
    // those kinds): a walk lists it by the kind of what it leads to, but never enters
    // it, since it may lead anywhere ("/" included) and so make the walk endless.
    kAttrLink = 0x400,
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

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The separator of path components: '\\' on Windows, '/' on Linux.
    virtual char Separator() const = 0;
    // The root rule: a selected root folder ("C:\" or "/") is cut so that entry names
    // join onto it with one separator ("C:" or ""). Any other text comes back unchanged.
    virtual std::string CutRoot(std::string_view folder) const = 0;
    // Whether the file system has 8.3 short names (Windows); on Linux the short and
    // the long form of a path are the path itself.
    virtual bool HasShortNames() const = 0;

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
};

}  // namespace kirramo
