// Entries of the Linux file system as the core sees them: Stat of one path and the
// listing of one folder, for paths of any length.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace kirramo::posix {

// Ticks of a Unix time (seconds and nanoseconds since 1970-01-01 UTC).
FileTicks TicksFromUnix(int64_t seconds, int64_t nanoseconds);

// The entry a path names; a symbolic link counts as what it points to, and a link
// whose target is missing as a file. "" stands for "/". Paths longer than the
// system's limit are reached one piece at a time.
std::optional<EntryInfo> StatPath(const std::string& path, InfoWanted wanted);

// A second thread that shares the look-ups of a listing's entries: reading a file's
// size and times is the system's work per file, and two cores do it in half the time.
// The thread starts with the first job given to it and runs until Stop (or the end of
// the team); the program's entry makes one team and hands it to the listings.
class LookupTeam {
public:
    // Work shared out in small blocks from a common counter, so the calling thread
    // never waits for the helper to wake up: whatever the helper has not taken, the
    // calling thread does itself.
    struct Job {
        std::atomic<size_t> next{0};
        size_t count = 0;
        void (*work)(void* context, size_t index) = nullptr;
        void* context = nullptr;
    };

    LookupTeam();
    ~LookupTeam();
    LookupTeam(const LookupTeam&) = delete;
    LookupTeam& operator=(const LookupTeam&) = delete;

    // Runs work(context, i) for every i below job.count on this thread and the helper
    // (on this thread alone when no thread can be had); returns when all are done.
    void RunTogether(Job& job);
    // Ends the helper thread, if it runs; the next job starts it again.
    void Stop();

private:
    class Helper;
    std::mutex mutex_;
    std::unique_ptr<Helper> helper_;
    bool failed_ = false;  // no thread could be started: not tried again
};

// A listing of a folder's entries ("" is "/"), empty when the folder cannot be read.
// Large reads share their look-ups with the team when one is given.
std::unique_ptr<DirReader> OpenFolder(const std::string& folder, InfoWanted wanted,
                                      LookupTeam* lookups);

// The last component of a path ("" for "/").
std::string_view LastComponent(std::string_view path);

}  // namespace kirramo::posix
