#include "collect/CollectPaths.h"

#include <algorithm>
#include <exception>
#include <numeric>

#include "collect/CommandLine.h"
#include "collect/FolderListing.h"
#include "collect/FormatItem.h"
#include "collect/TreeListing.h"

namespace kirramo {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kClipboardTries = 20;
constexpr int kClipboardPauseMs = 50;
constexpr const char* kClipboardBusyMessage =
    "クリップボードに書き込めませんでした。他のプログラムがクリップボードを使用中の可能性があります。";

// Shows the wait pointer for as long as it lives, also when a step throws.
class WaitCursor {
public:
    explicit WaitCursor(Platform& platform) : platform_(platform) { platform_.SetWaitCursor(true); }
    ~WaitCursor() { platform_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Platform& platform_;
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

void SortLines(Platform& platform, std::vector<std::string>& lines) {
    const std::vector<std::string> keys = platform.SortKeys(lines);
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // Empty lines (the placeholder first among them) go before every other line,
    // whatever key the platform gives an empty text; equal keys keep their order.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const bool emptyA = lines[a].empty(), emptyB = lines[b].empty();
        if (emptyA != emptyB) return emptyA;
        return keys[a] < keys[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(lines.size());
    for (size_t i : order) sorted.push_back(std::move(lines[i]));
    lines = std::move(sorted);
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

bool PutOnClipboard(Platform& platform, const std::string& text) {
    for (int attempt = 1; attempt <= kClipboardTries; ++attempt) {
        if (platform.SetClipboardText(text)) return true;
        if (attempt < kClipboardTries) platform.SleepMs(kClipboardPauseMs);
    }
    return false;
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
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) text += kCrLf;
        text += paths[i];
    }
    return text;
}

std::string BuildOutputText(Session& session, Platform& platform, std::vector<std::string>& lines,
                            ItemMode lastMode) {
    const OptionSet& o = session.options;
    if (lastMode != kModeTreeFolders && lastMode != kModeTreeFiles) SortLines(platform, lines);

    const size_t highest = lines.empty() ? 0 : lines.size() - 1;
    size_t total = 2;
    for (const std::string& line : lines) total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += kCrLf;
        text += lines[i];
    }
    if (text.starts_with(kCrLf)) text.erase(0, 2);
    if (o.G1Frtn || highest > 1) text += kCrLf;

    // Fixed order: upper case first, then "\" to "/", then " " to "%20".
    if (o.GUpper) text = platform.UpperCase(text);
    if (o.GRepYen) ReplaceAll(text, '\\', "/");
    if (o.GRepSP) ReplaceAll(text, ' ', "%20");
    return text;
}

bool CollectPaths(Session& session, Platform& platform) {
    const OptionSet& o = session.options;
    platform.EmptyClipboard();
    WaitCursor waitCursor(platform);

    std::vector<std::string> paths;
    if (std::optional<std::string> text = platform.CommandLineText())
        paths = SplitCommandLine(*text);
    else
        paths = platform.ArgumentList();
    // Two adjacent blanks in the plain form make an empty path; it names nothing.
    std::erase_if(paths, [](const std::string& p) { return p.empty(); });

    std::vector<std::string> lines(1);  // the empty placeholder
    ItemMode lastMode = kModeItem;
    const InfoWanted wanted = WantedFor(o);

    for (const std::string& path : paths) {
        std::optional<EntryInfo> entry;
        try {
            entry = platform.Stat(path, wanted);
        } catch (const std::exception&) {
            entry.reset();
        }
        if (!entry) {
            platform.MessageBox(MissingPathMessage(paths));
            break;
        }

        Absorbed([&] { session.SelectionBaseText = SelectionBase(session, platform, path); });
        const ItemMode mode = ClassifyPath(o, *entry);
        lastMode = mode;
        switch (mode) {
            case kModeItem:
                lines.emplace_back();
                Absorbed([&] { lines.back() = FormatItem(session, platform, path, *entry); });
                break;
            case kModeSubfolders:
                Absorbed([&] { ListSubfolders(session, platform, path, lines); });
                break;
            case kModeFolderFiles:
                Absorbed([&] { ListFolderFiles(session, platform, path, lines); });
                break;
            case kModeTreeFolders:
            case kModeTreeFiles:
                Absorbed([&] { RunTree(session, platform, path, lines, mode == kModeTreeFiles); });
                break;
        }
    }

    const std::string text = BuildOutputText(session, platform, lines, lastMode);
    if (PutOnClipboard(platform, text)) return true;
    platform.MessageBox(kClipboardBusyMessage);
    return false;
}

}  // namespace kirramo
