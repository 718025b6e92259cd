// The sort of the output lines: collation keys are made while the lines are still
// being collected (on a second thread once there are many), and at the end one index
// is sorted by them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "collect/FolderListing.h"
#include "platform/Locale.h"

namespace kirramo {

class OutputSorter : public LineObserver {
public:
    // `separator` is the path separator: lines below one folder share the key of the
    // folder's part where the locale's keys allow it.
    OutputSorter(Locale& locale, char separator);
    ~OutputSorter() override;
    OutputSorter(const OutputSorter&) = delete;
    OutputSorter& operator=(const OutputSorter&) = delete;

    // Takes the lines added since the last call, all but a last empty line (which the
    // next listing may still replace). Lines taken must not change afterwards.
    void LinesAdded(const std::vector<std::string>& lines) override;

    // The sorted order of all lines, as indices into `lines`: ascending by the
    // platform's collation, empty lines first, equal lines in their order. Ends the
    // second thread before it returns, so that the program is back to one thread.
    std::vector<size_t> Order(const std::vector<std::string>& lines);

    // One sort item: a line's key, in two parts (the shared key of the folder part of
    // the line, and the key of the rest), and the line's index.
    struct Item {
        const unsigned char* head;
        const unsigned char* tail;
        uint32_t headLength;
        uint32_t tailLength;
        uint32_t line;
    };

    // The keys that one thread makes, with one builder. Consecutive lines below the
    // same folder share the key of the folder's part where the builder allows it: each
    // folder's part is keyed once, and only the rest of each line. Keys live in large
    // blocks that never move, so items can point into them.
    class KeyStore {
    public:
        KeyStore(std::unique_ptr<SortKeyBuilder> builder, char separator);
        // The item of one line; `join`: keys may be shared after the separator.
        Item Add(std::string_view line, size_t index, bool join);
        // Room for the items of `count` lines, kept as long as the keys.
        Item* Items(size_t count);
        SortKeyBuilder& Builder() { return *builder_; }

    private:
        // A part of the last line that ends with the separator, with its key.
        struct Part {
            size_t end;
            const unsigned char* key;
            uint32_t length;
        };
        // Writes `before` followed by the key of text, and gives where it starts.
        const unsigned char* Write(std::string_view before, std::string_view text, uint32_t& length);
        void NewBlock(size_t atLeast);

        std::unique_ptr<SortKeyBuilder> builder_;
        const char separator_;
        std::vector<std::unique_ptr<unsigned char[]>> blocks_;
        unsigned char* free_ = nullptr;
        size_t room_ = 0;
        std::vector<std::unique_ptr<Item[]>> itemBlocks_;
        Item* freeItems_ = nullptr;
        size_t itemRoom_ = 0;
        std::string last_;         // the line keyed last
        std::vector<Part> parts_;  // its parts that ended with a separator, nested
    };

private:
    // Lines handed to the key makers. A line's text stays where the line keeps it: a
    // line taken never changes, and a string that holds its text outside itself keeps
    // that text in place when the collection grows (and moves its strings). Only text
    // held inside a string object, which moves with it, is copied.
    struct Batch {
        size_t first = 0;                     // index of its first line
        size_t count = 0;                     // its number of lines
        std::vector<std::string_view> lines;  // the lines' texts
        std::string copied;                   // the texts that had to be copied
        Item* items = nullptr;                // its items, sorted, once its keys are made
    };

    // Keys a batch and sorts its items.
    void MakeKeys(KeyStore& store, Batch& batch);
    // Makes the collecting thread's key store; false where the platform has no builder.
    bool HaveBuilder();
    void WorkerLoop();
    // Keys the waiting batches on the calling thread.
    void HelpWithWaiting();
    std::vector<size_t> OrderBySortKeys(const std::vector<std::string>& lines);
    void Stop();

    Locale& locale_;
    const char separator_;
    std::unique_ptr<KeyStore> mine_;    // the collecting thread's keys
    bool noBuilder_ = false;            // the platform has no key builder
    std::unique_ptr<KeyStore> worker_;  // the second thread's keys
    size_t handed_ = 0;                 // lines taken so far
    // Whether keys may be shared after the separator: learnt by the second thread
    // (it may take a few milliseconds), off until then.
    std::atomic<bool> join_{false};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::unique_ptr<Batch>> waiting_;  // batches without keys yet
    std::vector<std::unique_ptr<Batch>> done_;    // batches with their items
    bool stopping_ = false;
    std::thread thread_;
};

// Compares the keys of two items as whole byte strings: negative, zero or positive.
int CompareItemKeys(const OutputSorter::Item& a, const OutputSorter::Item& b);

}  // namespace kirramo
