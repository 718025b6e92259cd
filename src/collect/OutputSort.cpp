#include "collect/OutputSort.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <numeric>

namespace kirramo {

namespace {

// Lines per batch handed to the second thread; the thread starts with the first batch,
// so a run with fewer lines never starts one.
constexpr size_t kBatchLines = 2048;
// Batches waiting beyond this number are keyed by the collecting thread itself, so the
// copies waiting for the second thread stay few however fast the collection runs.
constexpr size_t kMostWaiting = 2;
// Keys and items are kept in pieces of at least this size. The system's allocator maps
// a piece this large on its own and takes it back as soon as it is freed, so the memory
// of a large sort is free again before the output text is built. (Pieces that are not
// touched cost address space only.)
constexpr size_t kPieceBytes = (size_t{32} << 20) + 4096;

const unsigned char kNoKey[1] = {0};

// Compares the byte string a1 a2 with the byte string b1 b2.
int CompareJoined(const unsigned char* a1, size_t n1, const unsigned char* a2, size_t n2,
                  const unsigned char* b1, size_t m1, const unsigned char* b2, size_t m2) {
    for (;;) {
        if (n1 == 0) {
            if (n2 == 0) return (m1 == 0 && m2 == 0) ? 0 : -1;
            a1 = a2;
            n1 = n2;
            n2 = 0;
            continue;
        }
        if (m1 == 0) {
            if (m2 == 0) return 1;
            b1 = b2;
            m1 = m2;
            m2 = 0;
            continue;
        }
        const size_t k = std::min(n1, m1);
        if (const int c = std::memcmp(a1, b1, k); c != 0) return c;
        a1 += k;
        b1 += k;
        n1 -= k;
        m1 -= k;
    }
}

}  // namespace

namespace {

// The order of the sorted list: keys, then (for equal keys) an empty line first, then
// the builder's finer comparison, then the order of the lines. `text(line)` gives the
// text of a line.
template <typename TextOf>
bool ItemBefore(const OutputSorter::Item& a, const OutputSorter::Item& b, SortKeyBuilder& builder,
                const TextOf& text) {
    if (const int c = CompareItemKeys(a, b); c != 0) return c < 0;
    const std::string_view ta = text(a.line), tb = text(b.line);
    if (ta.empty() != tb.empty()) return ta.empty();
    if (const int c = builder.CompareEqualKeys(ta, tb); c != 0) return c < 0;
    return a.line < b.line;
}

// A sorted run of items, from next up to end.
struct Run {
    const OutputSorter::Item* next;
    const OutputSorter::Item* end;
};

// Writes the lines of the `count` smallest items of the runs to out, smallest first.
template <typename Before>
void MergeFromFront(std::vector<Run> runs, size_t* out, size_t count, const Before& before) {
    const auto later = [&](const Run& a, const Run& b) { return before(*b.next, *a.next); };
    std::make_heap(runs.begin(), runs.end(), later);
    for (size_t i = 0; i < count; ++i) {
        std::pop_heap(runs.begin(), runs.end(), later);
        Run& run = runs.back();
        out[i] = run.next->line;
        if (++run.next == run.end)
            runs.pop_back();
        else
            std::push_heap(runs.begin(), runs.end(), later);
    }
}

// Writes the lines of the `count` largest items of the runs to the end of out[0, count),
// largest last.
template <typename Before>
void MergeFromBack(std::vector<Run> runs, size_t* out, size_t count, const Before& before) {
    const auto earlier = [&](const Run& a, const Run& b) { return before(a.end[-1], b.end[-1]); };
    std::make_heap(runs.begin(), runs.end(), earlier);
    for (size_t i = count; i-- > 0;) {
        std::pop_heap(runs.begin(), runs.end(), earlier);
        Run& run = runs.back();
        out[i] = run.end[-1].line;
        if (--run.end == run.next)
            runs.pop_back();
        else
            std::push_heap(runs.begin(), runs.end(), earlier);
    }
}

}  // namespace

int CompareItemKeys(const OutputSorter::Item& a, const OutputSorter::Item& b) {
    if (a.head == b.head && a.headLength == b.headLength) {
        // Lines below the same folder: only the rest of each line counts.
        // An empty tail may have no storage at all: memcmp is not given a null pointer.
        const size_t common = std::min(a.tailLength, b.tailLength);
        const int c = common == 0 ? 0 : std::memcmp(a.tail, b.tail, common);
        if (c != 0) return c;
        return a.tailLength < b.tailLength ? -1 : a.tailLength > b.tailLength ? 1 : 0;
    }
    return CompareJoined(a.head, a.headLength, a.tail, a.tailLength, b.head, b.headLength, b.tail,
                         b.tailLength);
}

OutputSorter::OutputSorter(Locale& locale, char separator) : locale_(locale), separator_(separator) {}

bool OutputSorter::HaveBuilder() {
    // Made when the first keys are needed: a run that sorts nothing (one line, or a
    // tree listing) never opens the collation.
    if (!mine_ && !noBuilder_) {
        if (std::unique_ptr<SortKeyBuilder> builder = locale_.NewSortKeyBuilder())
            mine_ = std::make_unique<KeyStore>(std::move(builder), separator_);
        else
            noBuilder_ = true;
    }
    return mine_ != nullptr;
}

OutputSorter::~OutputSorter() { Stop(); }

void OutputSorter::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void OutputSorter::KeyStore::NewBlock(size_t atLeast) {
    const size_t size = std::max(atLeast, kPieceBytes);
    blocks_.emplace_back(new unsigned char[size]);
    free_ = blocks_.back().get();
    room_ = size;
}

OutputSorter::Item* OutputSorter::KeyStore::Items(size_t count) {
    if (count > itemRoom_) {
        const size_t size = std::max(count, kPieceBytes / sizeof(Item));
        itemBlocks_.emplace_back(new Item[size]);
        freeItems_ = itemBlocks_.back().get();
        itemRoom_ = size;
    }
    Item* items = freeItems_;
    freeItems_ += count;
    itemRoom_ -= count;
    return items;
}

const unsigned char* OutputSorter::KeyStore::Write(std::string_view before, std::string_view text,
                                                   uint32_t& length) {
    for (;;) {
        const size_t space = room_ >= before.size() ? room_ - before.size() : 0;
        unsigned char* at = free_ != nullptr && room_ >= before.size() ? free_ + before.size() : nullptr;
        const size_t n = builder_->Key(text, at, at ? space : 0);
        if (at != nullptr && n <= space) {
            // An empty text may have no storage at all: memcpy is not given a null pointer.
            if (!before.empty()) std::memcpy(free_, before.data(), before.size());
            const unsigned char* key = free_;
            length = static_cast<uint32_t>(before.size() + n);
            free_ += length;
            room_ -= length;
            return key;
        }
        NewBlock(before.size() + n + 1);  // the rest of the old block stays unused
    }
}

OutputSorter::Item OutputSorter::KeyStore::Add(std::string_view line, size_t index, bool join) {
    Item item{kNoKey, kNoKey, 0, 0, static_cast<uint32_t>(index)};
    if (line.empty()) return item;
    if (!join) {
        item.tail = Write({}, line, item.tailLength);
        return item;
    }
    // The longest part shared with the last line that ends with a separator; its key
    // is known, part by part. Parts not shared any more are dropped, and the shared
    // part is keyed one separator further at a time, each from the key before it.
    size_t common = 0;
    const size_t most = std::min(line.size(), last_.size());
    while (common < most && line[common] == last_[common]) ++common;
    const size_t cut = common == 0 ? 0 : line.rfind(separator_, common - 1) + 1;  // npos + 1 is 0
    while (!parts_.empty() && parts_.back().end > cut) parts_.pop_back();
    for (;;) {
        const size_t from = parts_.empty() ? 0 : parts_.back().end;
        if (from >= cut) break;
        const size_t end = line.find(separator_, from) + 1;
        std::string_view before;
        if (!parts_.empty())
            before = std::string_view(reinterpret_cast<const char*>(parts_.back().key), parts_.back().length);
        Part part{end, nullptr, 0};
        part.key = Write(before, line.substr(from, end - from), part.length);
        parts_.push_back(part);
    }
    size_t from = 0;
    if (!parts_.empty()) {
        item.head = parts_.back().key;
        item.headLength = parts_.back().length;
        from = parts_.back().end;
    }
    item.tail = Write({}, line.substr(from), item.tailLength);
    last_.assign(line);
    return item;
}

void OutputSorter::MakeKeys(KeyStore& store, Batch& batch) {
    const bool join = join_.load(std::memory_order_relaxed);
    const size_t count = batch.count;
    Item* items = store.Items(count);
    for (size_t i = 0; i < count; ++i) items[i] = store.Add(batch.lines[i], batch.first + i, join);
    const auto text = [&](uint32_t line) { return batch.lines[line - batch.first]; };
    std::sort(items, items + count,
              [&](const Item& a, const Item& b) { return ItemBefore(a, b, store.Builder(), text); });
    batch.items = items;
    std::vector<std::string_view>().swap(batch.lines);
    std::string().swap(batch.copied);
}

void OutputSorter::WorkerLoop() {
    // Asked here, so that the collecting thread does not wait for the answer; keys
    // stay whole when the question cannot be answered.
    try {
        if (worker_->Builder().KeysJoinAfter(separator_)) join_.store(true, std::memory_order_relaxed);
    } catch (const std::exception&) {
    }
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty()) return;
            batch = std::move(waiting_.front());
            waiting_.pop_front();
        }
        try {
            MakeKeys(*worker_, *batch);
        } catch (const std::exception&) {
            // Out of memory here: the batch goes back, the collecting thread keys it.
            batch->items = nullptr;
            std::lock_guard<std::mutex> lock(mutex_);
            waiting_.push_back(std::move(batch));
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(batch));
    }
}

void OutputSorter::LinesAdded(const std::vector<std::string>& lines) {
    size_t end = lines.size();
    if (end > 0 && lines[end - 1].empty()) --end;
    if (end < handed_ + kBatchLines || end >= std::numeric_limits<uint32_t>::max()) return;
    if (!HaveBuilder()) return;
    // Whether a string holds its text inside itself (short texts), where it moves
    // with the string.
    const auto inside = [](const std::string& line) {
        const char* at = line.data();
        const char* self = reinterpret_cast<const char*>(&line);
        return at >= self && at < self + sizeof(std::string);
    };
    size_t copiedBytes = 0;
    for (size_t i = handed_; i < end; ++i)
        if (inside(lines[i])) copiedBytes += lines[i].size();

    auto batch = std::make_unique<Batch>();
    batch->first = handed_;
    batch->count = end - handed_;
    batch->lines.reserve(end - handed_);
    batch->copied.reserve(copiedBytes);  // never grows below, so views into it stay valid
    for (size_t i = handed_; i < end; ++i) {
        if (inside(lines[i])) {
            const size_t at = batch->copied.size();
            batch->copied += lines[i];
            batch->lines.emplace_back(batch->copied.data() + at, lines[i].size());
        } else {
            batch->lines.emplace_back(lines[i]);
        }
    }
    handed_ = end;

    if (!thread_.joinable() && !worker_) {
        if (std::unique_ptr<SortKeyBuilder> builder = locale_.NewSortKeyBuilder()) {
            worker_ = std::make_unique<KeyStore>(std::move(builder), separator_);
            try {
                thread_ = std::thread([this] { WorkerLoop(); });
            } catch (const std::exception&) {
                // No thread to be had: this thread makes every key.
            }
        }
    }
    std::unique_ptr<Batch> own;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (thread_.joinable()) {
            waiting_.push_back(std::move(batch));
            if (waiting_.size() > kMostWaiting) {
                own = std::move(waiting_.back());
                waiting_.pop_back();
            }
        } else {
            own = std::move(batch);
        }
    }
    wake_.notify_one();
    if (own) {
        MakeKeys(*mine_, *own);
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(own));
    }
}

void OutputSorter::HelpWithWaiting() {
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (waiting_.empty()) return;
            batch = std::move(waiting_.back());
            waiting_.pop_back();
        }
        MakeKeys(*mine_, *batch);
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(batch));
    }
}

std::vector<size_t> OutputSorter::Order(const std::vector<std::string>& lines) {
    const size_t n = lines.size();
    // With one line that is not empty (or none) the order is known: the empty lines
    // first, in their order.
    size_t filled = 0, last = 0;
    for (size_t i = 0; i < n && filled < 2; ++i)
        if (!lines[i].empty()) ++filled, last = i;
    if (filled < 2 && handed_ == 0) {
        std::vector<size_t> order;
        order.reserve(n);
        for (size_t i = 0; i < n; ++i)
            if (lines[i].empty()) order.push_back(i);
        if (filled == 1) order.push_back(last);
        return order;
    }
    if (!HaveBuilder() || n >= std::numeric_limits<uint32_t>::max() || handed_ > n) {
        Stop();
        return OrderBySortKeys(lines);
    }

    // The lines not handed over yet are keyed here, directly from their place, while
    // the second thread finishes its batches; then this thread helps with those left.
    SortKeyBuilder& builder = mine_->Builder();
    const auto text = [&](uint32_t line) { return std::string_view(lines[line]); };
    const auto before = [&](const Item& a, const Item& b) { return ItemBefore(a, b, builder, text); };
    const bool join = join_.load(std::memory_order_relaxed);
    Item* rest = mine_->Items(n - handed_);
    for (size_t i = handed_; i < n; ++i) rest[i - handed_] = mine_->Add(lines[i], i, join);
    std::sort(rest, rest + (n - handed_), before);
    HelpWithWaiting();
    Stop();
    HelpWithWaiting();  // any batch that the second thread gave back

    // Each batch is sorted already: the runs are merged. A second thread takes the
    // larger half from the runs' ends while this one takes the smaller half from their
    // starts; the order is strict (equal keys are told apart by the line's index), so
    // the halves meet exactly.
    std::vector<Run> runs;
    runs.reserve(done_.size() + 1);
    if (n > handed_) runs.push_back({rest, rest + (n - handed_)});
    for (const std::unique_ptr<Batch>& batch : done_)
        if (batch->count > 0) runs.push_back({batch->items, batch->items + batch->count});
    std::vector<size_t> order(n);
    const size_t front = n / 2;
    std::thread back;
    if (runs.size() > 1 && n >= 2 * kBatchLines && worker_) {
        // The finer comparison of equal keys asks a builder: the second thread's own.
        SortKeyBuilder& its = worker_->Builder();
        const auto itsBefore = [&](const Item& a, const Item& b) { return ItemBefore(a, b, its, text); };
        try {
            back = std::thread([&, itsBefore] { MergeFromBack(runs, order.data() + front, n - front, itsBefore); });
        } catch (const std::exception&) {
            // No thread to be had: this thread merges the whole.
        }
    }
    MergeFromFront(runs, order.data(), back.joinable() ? front : n, before);
    if (back.joinable()) back.join();
    // The keys are dropped before the caller builds the text.
    done_.clear();
    mine_.reset();
    worker_.reset();
    return order;
}

std::vector<size_t> OutputSorter::OrderBySortKeys(const std::vector<std::string>& lines) {
    const std::vector<std::string> keys = locale_.SortKeys(lines);
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // Empty lines (the placeholder first among them) go before every other line,
    // whatever key the platform gives an empty text; equal keys keep their order.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const bool emptyA = lines[a].empty(), emptyB = lines[b].empty();
        if (emptyA != emptyB) return emptyA;
        return keys[a] < keys[b];
    });
    return order;
}

OutputSorter::KeyStore::KeyStore(std::unique_ptr<SortKeyBuilder> builder, char separator)
    : builder_(std::move(builder)), separator_(separator) {}

}  // namespace kirramo
