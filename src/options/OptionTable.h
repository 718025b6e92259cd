// The one table of the user's options. Each option is described once: its line in the
// settings file, the OptionSet field it fills, the control of the settings window that
// shows it, and the value each quick preset gives it. The settings file, the settings
// window's loading and storing, and the quick presets are all driven from it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "options/OptionSet.h"

namespace kirramo {

// What a value holds; the type of the OptionSet field gives it.
enum class OptionKind {
    Flag,  // bool: "True" is on, any other text off
    Text,  // std::string: the rest of the line as it is
    Unit,  // int: the last character of the line, a digit; a line without one is skipped
};

// The OptionSet field that an option fills.
struct OptionField {
    OptionKind kind;
    bool OptionSet::*flag = nullptr;
    std::string OptionSet::*text = nullptr;
    int OptionSet::*unit = nullptr;

    constexpr OptionField(bool OptionSet::*field) : kind(OptionKind::Flag), flag(field) {}
    constexpr OptionField(std::string OptionSet::*field) : kind(OptionKind::Text), text(field) {}
    constexpr OptionField(int OptionSet::*field) : kind(OptionKind::Unit), unit(field) {}
};

// How the settings window shows an option, and how its Get command stores it back.
enum class Shown {
    Checked,           // a check box's check mark (flag)
    CheckedIfEnabled,  // the same, but stored as on only while the box is enabled too:
                       // a checked box that the interlocks disabled does not apply (flag)
    Selected,          // option buttons: `control` selected when on, `offControl` when off (flag)
    Text,              // a combo box's or a text box's text; an empty text stores
                       // `emptyStores` where that is not empty (text)
    List,              // a combo box's drop-down list, the value cut at every "|"; an empty
                       // value keeps the designed list; never stored from the window (text)
    UnitName,          // a label's caption: the name of the unit; never stored from the
                       // window, a click on the label changes the option at once (unit)
};

struct OptionControl {
    Shown shown;
    std::string_view control;        // the control's name in the settings window
    std::string_view offControl;     // Selected: the option button chosen for off
    std::string_view emptyStores;    // Text: what an empty text stores
};

// A quick preset's value, written as the settings file writes it; kKept leaves the
// option as it is.
using PresetValue = std::optional<std::string_view>;
inline constexpr std::nullopt_t kKept = std::nullopt;

enum class QuickPreset { Shift, Ctrl };

struct OptionRow {
    std::string_view key;  // the settings-file key with its "=": "GLong="
    OptionField field;
    OptionControl window;
    PresetValue shift;     // with Shift held at start: the long names
    PresetValue ctrl;      // with Ctrl held at start: the long paths
};

// Every option, in the settings file's order; the window loads its controls in this
// order too, so the reactions of later check boxes win.
std::span<const OptionRow> Options();

// The option's value as the settings file writes it.
std::string ValueText(const OptionRow& row, const OptionSet& options);

// Reads a value as the settings file writes it into the option. A unit value that does
// not end in a digit changes nothing and gives false.
bool ReadValue(const OptionRow& row, std::string_view value, OptionSet& options);

// Writes a quick preset into the options; the options it keeps stay as they are.
void WritePreset(QuickPreset preset, OptionSet& options);

}  // namespace kirramo
