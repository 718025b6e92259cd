#include "collect/CollectPaths.h"

#include <algorithm>
#include <exception>

#include "collect/CommandLine.h"
#include "collect/FolderListing.h"
#include "collect/FormatItem.h"
#include "collect/OutputSort.h"
#include "collect/TreeListing.h"

namespace kirramo {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kClipboardTries = 20;
constexpr int kClipboardPauseMs = 50;
// The paths that the missing-path message lists; a box of more would not fit the screen.
constexpr size_t kMissingPathsShown = 20;
constexpr const char* kClipboardBusyMessage =
    "クリップボードに書き込めませんでした。他のプログラムがクリップボードを使用中の可能性があります。";

// Shows the wait pointer for as long as it lives, also when a step throws.
class WaitCursor {
public:
    explicit WaitCursor(Desktop& desktop) : desktop_(desktop) { desktop_.SetWaitCursor(true); }
    ~WaitCursor() { desktop_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Desktop& desktop_;
};

// Runs one step of a path's handling. A step that fails is abandoned where it failed
// and the run goes on with the next step.
template <typename Step>
void Absorbed(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

void ReplaceAll(std::string& text, char from, std::string_view to) {
    if (text.find(from) == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == from)
            out += to;
        else
            out += c;
    }
    text = std::move(out);
}

// Places the text, trying again while another program holds the clipboard. A place
// that failed for good is not tried again: standard output, for one, would be given
// again what it has taken already.
template <typename Place>
Placing PutOnClipboard(Desktop& desktop, const Place& place) {
    Placing result = place();
    for (int attempt = 2; attempt <= kClipboardTries && result.kind == Placing::Kind::Busy; ++attempt) {
        desktop.SleepMs(kClipboardPauseMs);
        result = place();
    }
    return result;
}

}  // namespace

ItemMode ClassifyPath(const OptionSet& options, const EntryInfo& entry) {
    if (!entry.IsDir()) return kModeItem;
    if (options.GTreeP) return kModeTreeFolders;
    if (options.GTreeF) return kModeTreeFiles;
    if (options.GDir) return kModeSubfolders;
    if (options.GFolder) return kModeFolderFiles;
    return kModeItem;
}

std::string MissingPathMessage(const std::vector<std::string>& paths) {
    std::string text = "\r\n正しく取得できません。\r\n選択が多すぎるか長すぎます。";
    const size_t shown = std::min(paths.size(), kMissingPathsShown);
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) text += kCrLf;
        text += paths[i];
    }
    if (shown < paths.size()) text += kCrLf + ("ほか " + std::to_string(paths.size() - shown) + " 件");
    return text;
}

namespace {

// The output text: the lines in their final order joined with CR LF, less a CR LF at
// the very start (that is the empty first line and the break after it, or the first
// two characters of a first line that begins with CR LF), and a closing CR LF when
// asked for or when there are more than two lines. Kept as pieces of the lines, so
// that a long listing need not be copied into one string to be written out.
class OutputLines : public TextPieces {
public:
    OutputLines(const std::vector<std::string>& lines, std::vector<size_t> order, bool closingBreak)
        : lines_(lines), order_(std::move(order)) {
        const size_t n = lines_.size();
        if (n >= 2 && LineAt(0).empty())
            first_ = 1;
        else if (n >= 1 && LineAt(0).starts_with(kCrLf))
            skip_ = 2;
        closing_ = closingBreak || n > 2;
    }

    size_t Size() const override {
        // A line left out at the start is empty, so every line's length counts.
        size_t total = closing_ ? 2 : 0;
        for (const std::string& line : lines_) total += line.size();
        const size_t written = lines_.size() - first_;
        if (written > 1) total += 2 * (written - 1);
        return total - skip_;
    }

    bool Each(const std::function<bool(std::string_view)>& sink) const override {
        for (size_t i = first_; i < lines_.size(); ++i) {
            if (i > first_ && !sink(kCrLf)) return false;
            std::string_view line = LineAt(i);
            if (i == 0) line.remove_prefix(skip_);
            if (!line.empty() && !sink(line)) return false;
        }
        return !closing_ || sink(kCrLf);
    }

private:
    const std::string& LineAt(size_t i) const { return order_.empty() ? lines_[i] : lines_[order_[i]]; }

    const std::vector<std::string>& lines_;
    const std::vector<size_t> order_;
    size_t first_ = 0;  // the first line written
    size_t skip_ = 0;   // bytes left out at the start of line 0
    bool closing_ = false;
};

// The lines in their output order, with the sorter that has seen them while they were
// collected. A tree listing keeps the order of its lines.
OutputLines Arrange(const OptionSet& o, const std::vector<std::string>& lines, ItemMode lastMode,
                    OutputSorter& sorter) {
    std::vector<size_t> order;
    if (lastMode != kModeTreeFolders && lastMode != kModeTreeFiles) order = sorter.Order(lines);
    return OutputLines(lines, std::move(order), o.G1Frtn);
}

bool WantsRewriting(const OptionSet& o) { return o.GUpper || o.GRepYen || o.GRepSP; }

// The joined text with the whole-text rewritings applied.
std::string RewrittenText(const OptionSet& o, Locale& locale, const OutputLines& out) {
    std::string text = out.Joined();
    // Fixed order: upper case first, then "\" to "/", then " " to "%20".
    if (o.GUpper) text = locale.UpperCase(text);
    if (o.GRepYen) ReplaceAll(text, '\\', "/");
    if (o.GRepSP) ReplaceAll(text, ' ', "%20");
    return text;
}

}  // namespace

bool PlaceLines(const OptionSet& o, Platform& platform, const std::vector<std::string>& lines,
                ItemMode lastMode, OutputSorter& sorter) {
    const OutputLines out = Arrange(o, lines, lastMode, sorter);
    Placing placing;
    if (WantsRewriting(o)) {
        const std::string text = RewrittenText(o, platform, out);
        placing = PutOnClipboard(platform, [&] { return platform.PlaceText(text); });
    } else {
        placing = PutOnClipboard(platform, [&] { return platform.PlacePieces(out); });
    }
    switch (placing.kind) {
    case Placing::Kind::Placed:
        return true;
    case Placing::Kind::Busy:
        platform.MessageBox(kClipboardBusyMessage);
        break;
    case Placing::Kind::Failed:
        platform.MessageBox(placing.why);
        break;
    }
    return false;
}

RunOutcome RunCollectPaths(const OptionSet& o, Platform& platform, RunDriver* driver) {
    WaitCursor waitCursor(platform);

    std::vector<std::string> paths;
    if (std::optional<std::string> text = platform.CommandLineText())
        paths = SplitCommandLine(*text);
    else
        paths = platform.ArgumentList();
    // Two adjacent blanks in the plain form make an empty path; it names nothing.
    std::erase_if(paths, [](const std::string& p) { return p.empty(); });

    std::vector<std::string> lines(1);  // the empty placeholder
    bool missing = false;
    std::string base;
    ItemMode lastMode = kModeItem;
    const InfoWanted wanted = WantedFor(o);
    // Makes the sort keys of the lines while they are collected.
    OutputSorter sorter(platform, platform.Separator());
    ShareCache shares;
    FolderSet listedFolders;
    RunProgress progress;
    progress.SetPathsTotal(paths.size());
    const ItemContext context{o, platform, platform, shares,
                              [&platform](const std::string& text) { platform.MessageBox(text); }, &progress};

    const auto collect = [&] {
        for (const std::string& path : paths) {
            if (progress.Cancelled()) return;
            std::optional<EntryInfo> entry;
            try {
                entry = platform.Stat(path, wanted);
            } catch (const std::exception&) {
                entry.reset();
            }
            if (!entry) {
                missing = true;
                return;
            }

            // The folder that holds the selected path, in the form of its lines. A path
            // whose base cannot be made keeps the base of the path before it.
            Absorbed([&] { base = SelectionBase(context, path); });
            const ItemMode mode = ClassifyPath(o, *entry);
            lastMode = mode;
            switch (mode) {
                case kModeItem:
                    lines.emplace_back();
                    Absorbed([&] { lines.back() = FormatItem(context, base, path, *entry); });
                    break;
                case kModeSubfolders:
                    Absorbed([&] { ListSubfolders(context, base, path, lines, &sorter); });
                    break;
                case kModeFolderFiles:
                    Absorbed([&] { ListFolderFiles(context, base, path, listedFolders, lines, &sorter); });
                    break;
                case kModeTreeFolders:
                case kModeTreeFiles:
                    progress.EnterFolder(path);
                    Absorbed([&] { RunTree(context, platform, path, lines, mode == kModeTreeFiles); });
                    break;
            }
            sorter.LinesAdded(lines);
            progress.SetLines(lines.size() - 1);
            progress.PathDone();
        }
    };
    if (driver)
        driver->Collect(progress, collect);
    else
        collect();

    if (progress.Cancelled()) return kRunCancelled;
    if (missing) platform.MessageBox(MissingPathMessage(paths));
    if (!PlaceLines(o, platform, lines, lastMode, sorter)) return kRunNotPlaced;
    return missing ? kRunPathMissing : kRunPlaced;
}

bool CollectPaths(const OptionSet& o, Platform& platform) {
    const RunOutcome outcome = RunCollectPaths(o, platform);
    return outcome == kRunPlaced || outcome == kRunPathMissing;
}

}  // namespace kirramo
