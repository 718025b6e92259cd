// The settings window as data: every control with its place, caption, state and
// command, the loading, the rules that enable and disable controls, and the commands.
//
// No toolkit lives here. A view (Qt on Linux, plain Win32 controls on Windows) builds
// its widgets from Controls(), passes each user action to the form and then shows the
// form's states again; it keeps no state of its own. A click on a control that carries
// a command runs that command through Run; no view decides by a control's name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "collect/RunProgress.h"
#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

struct OptionRow;

enum class ControlKind {
    Button,        // Cmd...
    CheckBox,      // Chk...
    OptionButton,  // Opt...: option buttons in one container form one group
    ComboBox,      // Cbo...: editable text with a drop-down list
    Label,         // Lbl..., Label1, Label2
    TextBox,       // Txt...
    Frame,         // Fra...: a container with a caption
};

// What a click on a control does.
enum class Command {
    None,
    Get,       // store the controls, run the collection, close
    Cancel,    // close without saving
    Help,      // open the usage text
    StepUnit,  // step the size unit that the label shows
};

struct Control {
    std::string name;        // "ChkTreeF"
    ControlKind kind = ControlKind::Label;
    std::string container;   // the frame that holds it; empty for the window itself
    // Position relative to the client area of the container, and size, in twips.
    int left = 0, top = 0, width = 0, height = 0;
    int tabIndex = 0;
    std::string caption;     // buttons, check boxes, option buttons, labels, frames
    std::string tooltip;
    bool checked = false;    // check boxes
    bool selected = false;   // option buttons
    std::string text;        // combo box and text boxes
    std::vector<std::string> list;  // the combo box's drop-down list, in order
    bool enabled = true;
    bool visible = true;
    std::string fontFace;    // empty: the window's font
    double fontSize = 0;     // points; 0: the window's font
    Command command = Command::None;  // what a click runs
    bool isDefault = false;  // the button that Enter presses
    bool isCancel = false;   // the button that Esc presses

    // Whether the control can take the keyboard focus (and so has a place in the tab order).
    bool IsTabStop() const;
};

class SettingsForm {
public:
    static constexpr const char* kCaption = "Kirramo";
    // Size of the window's client area in twips.
    static constexpr int kClientWidth = 3975;
    static constexpr int kClientHeight = 6360;
    // What the border and the caption bar add to the client area, in twips, as the
    // placement counts them: the window's outer size.
    static constexpr int kFrameWidth = 145;
    static constexpr int kFrameHeight = 840;
    static constexpr int kOuterWidth = kClientWidth + kFrameWidth;
    static constexpr int kOuterHeight = kClientHeight + kFrameHeight;
    // Where the loading puts the pointer in the window, from its outer top-left corner
    // in twips: near CmdGet.
    static constexpr int kPointerLeft = 1700;
    static constexpr int kPointerTop = 6460;
    // The window's own font, used by every control that names none.
    static constexpr const char* kWindowFontFace = "ＭＳ Ｐゴシック";
    static constexpr double kWindowFontSize = 9;

    SettingsForm(Session& session, Platform& platform);

    // The driver that runs Get's collection: the view's own, which keeps its windows
    // served and shows the progress while the collection runs on another thread. Without
    // one the collection runs on the caller's thread.
    void SetRunDriver(RunDriver* runs) { runs_ = runs; }

    // ---- Loading ----
    // Places the window near the pointer and, when the settings were read at start,
    // sets the controls from the options. The pointer is in screen pixels; the screen's
    // size in twips. Runs once; later calls do nothing.
    void Load(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY,
              int screenWidthTwips, int screenHeightTwips);
    // The window's outer top-left corner in screen twips, as the loading placed it.
    int WindowLeft() const { return windowLeft_; }
    int WindowTop() const { return windowTop_; }

    // ---- User actions (also used by the loading) ----
    // Sets a check box. When the state changes, the box's reaction runs exactly as for
    // a click. False for an unknown name or a control that is no check box.
    bool SetChecked(std::string_view name, bool checked);
    // Selects an option button and deselects the others of its group.
    bool SelectOption(std::string_view name);
    // Sets the text of the combo box or of a text box.
    bool SetText(std::string_view name, std::string text);
    // Steps the size unit and shows its name on the label. Does nothing while the
    // label's frame is disabled; returns whether the click was taken.
    bool ClickUnitLabel();

    // ---- Commands ----
    // Runs the command that a clicked control carries; false when it did nothing.
    bool Run(Command command);
    // Stores the controls into the options, closes the window (saving the options) and
    // runs the collection. A run stopped with 中止 leaves the options saved all the same.
    void Get();
    // Closes the window without saving anything.
    void Cancel();
    // Opens the usage text; the window stays open.
    void Help();
    // Closes the window: saves the options unless the window was cancelled. Only the
    // first call has an effect.
    void Close();
    bool IsClosed() const { return closed_; }
    // The desktop session ends (log off, shut down) with the window open: saves the
    // options as closing does, unless the window was cancelled or has closed. The window
    // stays usable, since the session may yet go on.
    void EndSession();

    // Copies the controls into the options (the first step of Get).
    void StoreControls();

    // ---- Reading the form ----
    // All controls in the order in which the window creates them.
    const std::vector<Control>& Controls() const { return controls_; }
    // The control of that name, or nullptr.
    const Control* Find(std::string_view name) const;
    // The control of that name; throws std::out_of_range for an unknown name.
    const Control& At(std::string_view name) const;
    // Whether the control and every frame around it are enabled: only then does it
    // take clicks and the focus.
    bool IsUsable(std::string_view name) const;
    // Names of the controls that take the focus, in tab order.
    std::vector<std::string> TabOrder() const;
    // The control that gets the focus first: the first usable one in tab order.
    std::string InitialFocus() const;

private:
    Control* Mutable(std::string_view name);
    void SetEnabled(std::string_view name, bool enabled);
    bool Checked(std::string_view name) const;
    void RefreshEnabling();
    void LoadOption(const OptionRow& row);
    void StoreOption(const OptionRow& row);
    void AddControls();

    Session& session_;
    Platform& platform_;
    RunDriver* runs_ = nullptr;
    std::vector<Control> controls_;
    int windowLeft_ = 0, windowTop_ = 0;
    bool loaded_ = false;
    bool closed_ = false;
};

// Rounds to the nearest integer; an exact half goes to the even neighbour.
long long RoundHalfEven(double value);

}  // namespace kirramo
