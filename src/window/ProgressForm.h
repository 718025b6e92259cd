// The progress window of a long run as data: its controls with their places, the texts
// it shows, when it appears and how often it is refreshed, and its one command, 中止.
//
// No toolkit and no clock live here. A view (Qt, Win32, or the progress line on a
// terminal) asks Tick with the time since the run started, draws the form when Tick
// says so, and hands the user's 中止 (the button, Esc, the close box) to Run. A run
// that ends within half a second never shows the form: no window flashes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "collect/RunProgress.h"
#include "window/SettingsForm.h"

namespace kirramo {

class ProgressForm {
public:
    static constexpr const char* kCaption = "Kirramo";
    static constexpr const char* kWorkingText = "取得中…";
    static constexpr const char* kStopCaption = "中止";
    // The form appears when the run has not ended after this time, and is then drawn
    // again at most this often (about ten times a second).
    static constexpr int64_t kShowAfterMs = 500;
    static constexpr int64_t kRefreshEveryMs = 100;
    // The folder line keeps at most this many characters; a longer path loses its middle.
    static constexpr size_t kFolderChars = 50;
    // The client area and the frame, in twips, as in the settings window.
    static constexpr int kClientWidth = 5400;
    static constexpr int kClientHeight = 1800;
    static constexpr int kOuterWidth = kClientWidth + SettingsForm::kFrameWidth;
    static constexpr int kOuterHeight = kClientHeight + SettingsForm::kFrameHeight;
    // The bar: where it is, and its value; kBusy where the amount of work is unknown.
    static constexpr int kBusy = -1;
    struct Bar {
        int left = 120, top = 960, width = 5160, height = 255;
        int percent = kBusy;
    };

    explicit ProgressForm(RunProgress& progress);

    // Places the window near the pointer (screen pixels), on the screen (twips).
    void Place(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY, int screenWidthTwips,
               int screenHeightTwips);
    int WindowLeft() const { return windowLeft_; }
    int WindowTop() const { return windowTop_; }

    // The view's clock: the time since the run started. True when the view should draw
    // the form now (it appears, or its texts were refreshed from the run's progress).
    bool Tick(int64_t elapsedMs);
    bool IsShown() const { return shown_; }

    // ---- Commands ----
    // Runs the command that a clicked control carries (Cancel: 中止); false when it did nothing.
    bool Run(Command command);
    // 中止: asks the run to stop. The button then takes no more clicks.
    void Cancel();
    // The close box acts as 中止.
    void Close() { Cancel(); }
    bool IsCancelled() const { return cancelled_; }

    // ---- Reading the form ----
    // LblAction, LblCounts, LblFolder and CmdStop, in the order of creation and tabbing.
    const std::vector<Control>& Controls() const { return controls_; }
    const Control& At(std::string_view name) const;
    const Bar& ProgressBar() const { return bar_; }

private:
    void Refresh();
    Control& Mutable(std::string_view name);

    RunProgress& progress_;
    std::vector<Control> controls_;
    Bar bar_;
    int windowLeft_ = 0, windowTop_ = 0;
    bool shown_ = false;
    bool cancelled_ = false;
    int64_t refreshedAt_ = 0;
};

// A run's progress as records on a pipe, for a progress window in a process of its own:
// "<lines> <folders> <paths total> <paths done> <folder bytes>\n<folder>", the folder
// shortened as the form shows it, so that a record stays short (a pipe writes it whole).
std::string ProgressRecord(const RunProgress& progress);
// Takes the whole records at the front of `pending` into `progress` (the last one
// counts) and removes them; a record not yet whole stays. False when a record is
// malformed: nothing after it can be read.
bool TakeProgressRecords(std::string& pending, RunProgress& progress);
// The line that such a window writes back at the user's 中止.
inline constexpr std::string_view kProgressCancelLine = "cancel\n";

// The counts line: "1,234 行　56 フォルダー".
std::string ProgressCountsText(uint64_t lines, uint64_t folders);
// The text with its middle replaced by "…" when it has more than maxChars characters,
// so that both its start and its end (the drive and the folder's own name) stay seen.
std::string ShortenMiddle(std::string_view text, size_t maxChars);

}  // namespace kirramo
