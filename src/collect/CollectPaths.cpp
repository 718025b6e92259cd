#include "collect/CollectPaths.h"

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

namespace {

// BuildOutputText with the sorter that has seen the lines while they were collected.
std::string BuildText(Session& session, Platform& platform, const std::vector<std::string>& lines,
                      ItemMode lastMode, OutputSorter& sorter) {
    const OptionSet& o = session.options;
    const size_t n = lines.size();
    std::vector<size_t> order;
    if (lastMode != kModeTreeFolders && lastMode != kModeTreeFiles) order = sorter.Order(lines);
    auto lineAt = [&](size_t i) -> const std::string& { return order.empty() ? lines[i] : lines[order[i]]; };

    // The lines joined with CR LF, less a CR LF at the very start: that is the empty
    // first line and the break after it, or the first two characters of a first line
    // that begins with CR LF.
    size_t i = 0, skip = 0;
    if (n >= 2 && lineAt(0).empty())
        i = 1;
    else if (n >= 1 && lineAt(0).starts_with(kCrLf))
        skip = 2;
    size_t total = 2;
    for (const std::string& line : lines) total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const size_t first = i; i < n; ++i) {
        if (i > first) text += kCrLf;
        text.append(lineAt(i), i == 0 ? skip : 0);
    }
    if (o.G1Frtn || n > 2) text += kCrLf;

    // Fixed order: upper case first, then "\" to "/", then " " to "%20".
    if (o.GUpper) text = platform.UpperCase(text);
    if (o.GRepYen) ReplaceAll(text, '\\', "/");
    if (o.GRepSP) ReplaceAll(text, ' ', "%20");
    return text;
}

}  // namespace

std::string BuildOutputText(Session& session, Platform& platform, std::vector<std::string>& lines,
                            ItemMode lastMode) {
    OutputSorter sorter(platform);
    return BuildText(session, platform, lines, lastMode, sorter);
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
    // Makes the sort keys of the lines while they are collected.
    OutputSorter sorter(platform);

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
                Absorbed([&] { ListSubfolders(session, platform, path, lines, &sorter); });
                break;
            case kModeFolderFiles:
                Absorbed([&] { ListFolderFiles(session, platform, path, lines, &sorter); });
                break;
            case kModeTreeFolders:
            case kModeTreeFiles:
                Absorbed([&] { RunTree(session, platform, path, lines, mode == kModeTreeFiles); });
                break;
        }
        sorter.LinesAdded(lines);
    }

    const std::string text = BuildText(session, platform, lines, lastMode, sorter);
    if (PutOnClipboard(platform, text)) return true;
    platform.MessageBox(kClipboardBusyMessage);
    return false;
}

}  // namespace kirramo
