#include "options/OptionTable.h"

namespace kirramo {

namespace {

constexpr OptionControl CheckBox(std::string_view name) { return {Shown::Checked, name, {}, {}}; }
constexpr OptionControl CheckBoxIfEnabled(std::string_view name) { return {Shown::CheckedIfEnabled, name, {}, {}}; }
constexpr OptionControl OptionButtons(std::string_view on, std::string_view off) {
    return {Shown::Selected, on, off, {}};
}
constexpr OptionControl TextOf(std::string_view name, std::string_view emptyStores = {}) {
    return {Shown::Text, name, {}, emptyStores};
}
constexpr OptionControl ListOf(std::string_view name) { return {Shown::List, name, {}, {}}; }
constexpr OptionControl UnitNameOn(std::string_view name) { return {Shown::UnitName, name, {}, {}}; }

using O = OptionSet;

// The quick presets give the long form and nothing else, names only with Shift; kKept
// leaves an option at the value it had when the program started.
constexpr OptionRow kOptions[] = {
    // key              field             window                              Shift    Ctrl
    {"GLong=",        &O::GLong,        OptionButtons("OptLong", "OptShot"), "True",  "True"},
    {"GUpper=",       &O::GUpper,       CheckBox("ChkUpper"),                "False", "False"},
    {"GName=",        &O::GName,        CheckBox("ChkName"),                 "True",  "False"},
    {"GExt=",         &O::GExt,         CheckBox("ChkExt"),                  "False", "False"},
    {"GFolder=",      &O::GFolder,      CheckBox("ChkFolder"),               "False", "False"},
    {"GFPattern=",    &O::GFPattern,    TextOf("CboPattern", "*.*"),         "*.*",   "*.*"},
    {"GFPatternSet=", &O::GFPatternSet, ListOf("CboPattern"),                kKept,   kKept},
    {"GSub=",         &O::GSub,         CheckBox("ChkSub"),                  "False", "False"},
    {"GTime=",        &O::GTime,        CheckBox("ChkTime"),                 "False", "False"},
    {"GUnc=",         &O::GUnc,         CheckBox("ChkUnc"),                  "False", "False"},
    {"GSize=",        &O::GSize,        CheckBox("ChkSize"),                 "False", "False"},
    {"GUnit=",        &O::GUnit,        UnitNameOn("LblUnit"),               "0",     "0"},
    {"GDir=",         &O::GDir,         CheckBox("ChkDir"),                  "False", "False"},
    {"GBackword=",    &O::GBackword,    CheckBoxIfEnabled("ChkBackword"),    "False", "False"},
    {"GTreeP=",       &O::GTreeP,       CheckBox("ChkTreeP"),                kKept,   kKept},
    {"GTreeF=",       &O::GTreeF,       CheckBox("ChkTreeF"),                "False", "False"},
    {"GRepYen=",      &O::GRepYen,      CheckBox("ChkRepYen"),               "False", "False"},
    {"GRepSP=",       &O::GRepSP,       CheckBox("ChkRepSP"),                "False", "False"},
    {"G1Frtn=",       &O::G1Frtn,       CheckBox("Chk1Frtn"),                "False", "False"},
    {"GMenu=",        &O::GMenu,        CheckBox("ChkMenu"),                 kKept,   kKept},
    {"GPrefix=",      &O::GPrefix,      TextOf("TxtPrefix"),                 kKept,   kKept},
    {"GSuffix=",      &O::GSuffix,      TextOf("TxtSuffix"),                 kKept,   kKept},
};

// Each way of showing fits one kind of field, and every key ends with its only "=" (so
// the text up to a line's first "=" names at most one key).
constexpr bool Consistent(const OptionRow& row) {
    if (row.key.empty() || row.key.find('=') != row.key.size() - 1 || row.window.control.empty()) return false;
    switch (row.window.shown) {
    case Shown::Checked:
    case Shown::CheckedIfEnabled:
        return row.field.kind == OptionKind::Flag;
    case Shown::Selected:
        return row.field.kind == OptionKind::Flag && !row.window.offControl.empty();
    case Shown::Text:
    case Shown::List:
        return row.field.kind == OptionKind::Text;
    case Shown::UnitName:
        return row.field.kind == OptionKind::Unit;
    }
    return false;
}

constexpr bool AllConsistent() {
    for (const OptionRow& row : kOptions)
        if (!Consistent(row)) return false;
    return true;
}
static_assert(AllConsistent(), "an option row whose field, key or control do not fit together");

}  // namespace

std::span<const OptionRow> Options() { return kOptions; }

std::string ValueText(const OptionRow& row, const OptionSet& options) {
    switch (row.field.kind) {
    case OptionKind::Flag:
        return options.*row.field.flag ? "True" : "False";
    case OptionKind::Text:
        return options.*row.field.text;
    case OptionKind::Unit:
        return std::to_string(options.*row.field.unit);
    }
    return {};
}

bool ReadValue(const OptionRow& row, std::string_view value, OptionSet& options) {
    switch (row.field.kind) {
    case OptionKind::Flag:
        options.*row.field.flag = (value == "True");
        return true;
    case OptionKind::Text:
        options.*row.field.text = std::string(value);
        return true;
    case OptionKind::Unit: {
        // The unit is the last character of the line; a line that does not end in a
        // digit (such as a bare "GUnit=") carries no unit and is passed over.
        if (value.empty() || value.back() < '0' || value.back() > '9') return false;
        options.*row.field.unit = value.back() - '0';
        return true;
    }
    }
    return false;
}

void WritePreset(QuickPreset preset, OptionSet& options) {
    for (const OptionRow& row : kOptions) {
        const PresetValue& value = preset == QuickPreset::Shift ? row.shift : row.ctrl;
        if (value) ReadValue(row, *value, options);
    }
}

}  // namespace kirramo
