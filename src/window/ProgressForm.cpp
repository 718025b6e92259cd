#include "window/ProgressForm.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace kirramo {

namespace {

Control Label(const char* name, int top, std::string caption) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.left = 120;
    c.top = top;
    c.width = 5160;
    c.height = 255;
    c.caption = std::move(caption);
    return c;
}

std::string Grouped(uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

}  // namespace

ProgressForm::ProgressForm(RunProgress& progress) : progress_(progress) {
    controls_.push_back(Label("LblAction", 120, kWorkingText));
    controls_.push_back(Label("LblCounts", 420, ProgressCountsText(0, 0)));
    controls_.push_back(Label("LblFolder", 690, ""));
    Control stop;
    stop.name = "CmdStop";
    stop.kind = ControlKind::Button;
    stop.left = 4080;
    stop.top = 1320;
    stop.width = 1200;
    stop.height = 375;
    stop.caption = kStopCaption;
    stop.command = Command::Cancel;
    stop.isDefault = true;
    stop.isCancel = true;
    stop.tabIndex = 0;
    controls_.push_back(stop);
}

void ProgressForm::Place(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY,
                         int screenWidthTwips, int screenHeightTwips) {
    // The pointer falls just above the window's top left corner; the limits keep the
    // window on the screen, the right and bottom ones winning.
    long long left = RoundHalfEven(cursorX * twipsPerPixelX);
    if (screenWidthTwips - kOuterWidth < left) left = screenWidthTwips - kOuterWidth;
    if (left < 0) left = 0;
    long long top = RoundHalfEven(cursorY * twipsPerPixelY) + 300;
    if (screenHeightTwips - kOuterHeight < top) top = screenHeightTwips - kOuterHeight;
    if (top < 0) top = 0;
    windowLeft_ = static_cast<int>(left);
    windowTop_ = static_cast<int>(top);
}

bool ProgressForm::Tick(int64_t elapsedMs) {
    if (!shown_) {
        if (elapsedMs < kShowAfterMs) return false;
        shown_ = true;
    } else if (elapsedMs - refreshedAt_ < kRefreshEveryMs) {
        return false;
    }
    refreshedAt_ = elapsedMs;
    Refresh();
    return true;
}

void ProgressForm::Refresh() {
    Mutable("LblCounts").caption = ProgressCountsText(progress_.Lines(), progress_.Folders());
    Mutable("LblFolder").caption = ShortenMiddle(progress_.Folder(), kFolderChars);
    // The selected paths measure the work only when there are several of them.
    const uint64_t total = progress_.PathsTotal();
    bar_.percent = total > 1 ? static_cast<int>(std::min(progress_.PathsDone(), total) * 100 / total) : kBusy;
}

bool ProgressForm::Run(Command command) {
    if (command != Command::Cancel || cancelled_) return false;
    Cancel();
    return true;
}

void ProgressForm::Cancel() {
    cancelled_ = true;
    progress_.Cancel();
    Mutable("CmdStop").enabled = false;
}

const Control& ProgressForm::At(std::string_view name) const {
    for (const Control& c : controls_)
        if (c.name == name) return c;
    throw std::out_of_range("no control " + std::string(name));
}

Control& ProgressForm::Mutable(std::string_view name) { return const_cast<Control&>(At(name)); }

std::string ProgressRecord(const RunProgress& progress) {
    RunProgress::Counts c = progress.Now();
    const std::string folder = ShortenMiddle(c.folder, ProgressForm::kFolderChars);
    return std::to_string(c.lines) + ' ' + std::to_string(c.folders) + ' ' + std::to_string(c.pathsTotal) + ' ' +
           std::to_string(c.pathsDone) + ' ' + std::to_string(folder.size()) + '\n' + folder;
}

bool TakeProgressRecords(std::string& pending, RunProgress& progress) {
    // The folder line of a record: at most kFolderChars characters of four bytes.
    constexpr uint64_t kMaxFolderBytes = ProgressForm::kFolderChars * 4;
    size_t taken = 0;
    for (;;) {
        const size_t end = pending.find('\n', taken);
        if (end == std::string::npos) break;
        uint64_t numbers[5];
        const char* at = pending.data() + taken;
        const char* const stop = pending.data() + end;
        for (size_t i = 0; i < 5; ++i) {
            if (i > 0 && (at == stop || *at++ != ' ')) return false;
            const auto [next, error] = std::from_chars(at, stop, numbers[i]);
            if (error != std::errc() || next == at) return false;
            at = next;
        }
        if (at != stop || numbers[4] > kMaxFolderBytes) return false;
        if (pending.size() - (end + 1) < numbers[4]) break;  // the folder has not all come yet
        progress.Mirror({numbers[0], numbers[1], numbers[2], numbers[3], pending.substr(end + 1, numbers[4])});
        taken = end + 1 + numbers[4];
    }
    // A header that is longer than any record can be is no record.
    if (pending.size() - taken > 5 * 21 && pending.find('\n', taken) == std::string::npos) return false;
    pending.erase(0, taken);
    return true;
}

std::string ProgressCountsText(uint64_t lines, uint64_t folders) {
    return Grouped(lines) + " 行　" + Grouped(folders) + " フォルダー";
}

std::string ShortenMiddle(std::string_view text, size_t maxChars) {
    std::vector<size_t> starts;  // the byte offset of each character
    for (size_t i = 0; i < text.size(); ++i)
        if (IsLeadByte(text[i])) starts.push_back(i);
    if (starts.size() <= maxChars || maxChars < 3) return std::string(text);
    const size_t kept = maxChars - 1;  // "…" takes one place
    const size_t head = kept / 2, tail = kept - head;
    return std::string(text.substr(0, starts[head])) + "…" + std::string(text.substr(starts[starts.size() - tail]));
}

}  // namespace kirramo
