// The state of a run that another thread reads while the run goes on: the cancel flag
// that stops it, and how far it has come. The collection writes the counts with
// relaxed stores (one per entry at most), so reporting costs the run next to nothing;
// a reader gets a consistent enough picture for a progress window or line.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace kirramo {

class RunProgress {
public:
    // ---- Read by the collection ----
    // Whether the run was asked to stop. Checked between entries and between folders.
    bool Cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    // ---- Written by the collection ----
    void SetLines(uint64_t count) { lines_.store(count, std::memory_order_relaxed); }
    // A folder is being read: counts it and shows its path.
    void EnterFolder(std::string_view folder) {
        folders_.fetch_add(1, std::memory_order_relaxed);
        std::lock_guard<std::mutex> lock(folderLock_);
        folder_.assign(folder);
    }
    // The amount of work, where it is known: the selected paths, and those handled.
    void SetPathsTotal(uint64_t total) { pathsTotal_.store(total, std::memory_order_relaxed); }
    void PathDone() { pathsDone_.fetch_add(1, std::memory_order_relaxed); }

    // ---- Used by whoever watches the run ----
    // Asks the run to stop; it ends at the next entry or folder and places nothing.
    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
    uint64_t Lines() const { return lines_.load(std::memory_order_relaxed); }
    uint64_t Folders() const { return folders_.load(std::memory_order_relaxed); }
    uint64_t PathsTotal() const { return pathsTotal_.load(std::memory_order_relaxed); }
    uint64_t PathsDone() const { return pathsDone_.load(std::memory_order_relaxed); }
    std::string Folder() const {
        std::lock_guard<std::mutex> lock(folderLock_);
        return folder_;
    }

    // ---- A progress that mirrors the run of another process ----
    // Its progress window, in a process of its own, is told the counts and keeps them here.
    struct Counts {
        uint64_t lines = 0, folders = 0, pathsTotal = 0, pathsDone = 0;
        std::string folder;
    };
    Counts Now() const { return {Lines(), Folders(), PathsTotal(), PathsDone(), Folder()}; }
    void Mirror(const Counts& counts) {
        lines_.store(counts.lines, std::memory_order_relaxed);
        folders_.store(counts.folders, std::memory_order_relaxed);
        pathsTotal_.store(counts.pathsTotal, std::memory_order_relaxed);
        pathsDone_.store(counts.pathsDone, std::memory_order_relaxed);
        std::lock_guard<std::mutex> lock(folderLock_);
        folder_ = counts.folder;
    }

private:
    std::atomic<bool> cancel_{false};
    std::atomic<uint64_t> lines_{0};
    std::atomic<uint64_t> folders_{0};
    std::atomic<uint64_t> pathsTotal_{0};
    std::atomic<uint64_t> pathsDone_{0};
    mutable std::mutex folderLock_;
    std::string folder_;
};

// Runs the collection part of a run for the program's entry: on another thread while
// the caller's thread reports the progress and turns a stop request into Cancel().
// Returns once the collection has ended (so that the text is placed on the thread that
// started the run: placing may fork), and passes on what the collection threw.
class RunDriver {
public:
    virtual ~RunDriver() = default;
    virtual void Collect(RunProgress& progress, const std::function<void()>& collect) = 0;
};

}  // namespace kirramo
