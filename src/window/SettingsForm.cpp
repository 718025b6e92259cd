#include "window/SettingsForm.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "collect/CollectPaths.h"
#include "options/OptionTable.h"
#include "options/Settings.h"
#include "options/SizeUnits.h"

namespace kirramo {

namespace {

constexpr const char* kButtonFace = "ＭＳ Ｐゴシック";
constexpr const char* kPathExampleTip = R"(例）<file:///C:\My%20Documents\My%20Pictures\家族集合写真.jpg>)";

// Cuts a list text at every "|"; empty pieces stay.
std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find('|', start);
        pieces.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) return pieces;
        start = bar + 1;
    }
}

// The label's text for a unit: its name, or its number for a unit without one (only a
// hand-edited settings file brings one).
std::string UnitLabel(int unit) {
    bool named = unit >= 0 && unit < static_cast<int>(std::size(kSizeUnits)) && kSizeUnits[unit].label;
    return named ? kSizeUnits[unit].label : std::to_string(unit);
}

// The unit after this one on the label: the next named unit, else the first. A value
// outside the table comes back to the first, so the label can always reach every unit.
int NextUnit(int unit) {
    int next = unit + 1;
    bool named = unit >= 0 && next < static_cast<int>(std::size(kSizeUnits)) && kSizeUnits[next].label;
    return named ? next : 0;
}

// The option that the unit label shows.
const OptionRow& UnitOption() {
    for (const OptionRow& row : Options())
        if (row.window.shown == Shown::UnitName) return row;
    throw std::logic_error("no option is shown as a unit name");
}

}  // namespace

bool Control::IsTabStop() const {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::ComboBox:
    case ControlKind::TextBox:
        return visible;
    default:
        return false;
    }
}

long long RoundHalfEven(double value) {
    double whole = std::floor(value);
    double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<long long>(whole);
}

SettingsForm::SettingsForm(Session& session, Platform& platform)
    : session_(session), platform_(platform) {
    AddControls();
}

// The controls in the order in which the window creates them, in their designed states.
void SettingsForm::AddControls() {
    using K = ControlKind;
    auto add = [this](std::string name, K kind, std::string container, int left, int top, int width,
                      int height, int tab, std::string caption, std::string tooltip = {}) -> Control& {
        Control c;
        c.name = std::move(name);
        c.kind = kind;
        c.container = std::move(container);
        c.left = left;
        c.top = top;
        c.width = width;
        c.height = height;
        c.tabIndex = tab;
        c.caption = std::move(caption);
        c.tooltip = std::move(tooltip);
        controls_.push_back(std::move(c));
        return controls_.back();
    };
    // A command button: its font and the command it runs.
    auto button = [](Control& c, Command command) -> Control& {
        c.fontFace = kButtonFace;
        c.fontSize = 12;
        c.command = command;
        return c;
    };

    button(add("CmdHelp", K::Button, "", 3120, 5940, 795, 360, 21, "Help", "how to use.txtの表示"), Command::Help);
    add("ChkMenu", K::CheckBox, "", 60, 5880, 975, 435, 18, "メニュー非表示",
        "Shift+Ctrlを押して起動の場合は必ずメニュー表示します。");
    add("FraTree", K::Frame, "", 0, 5280, 3855, 555, 31, R"(Tree形式で取得(大文字/UNC/\/空白変換のみ))");
    add("ChkTreeF", K::CheckBox, "FraTree", 1800, 210, 1935, 315, 17, "ファイルまで取得");
    add("ChkTreeP", K::CheckBox, "FraTree", 240, 210, 1575, 315, 16, "フォルダ取得");
    add("FraFolder", K::Frame, "", 0, 4620, 3855, 615, 30, "フォルダ取得用設定");
    add("ChkDir", K::CheckBox, "FraFolder", 240, 210, 3495, 315, 15, "サブフォルダ名を取得");
    add("FraFile", K::Frame, "", 0, 2700, 3855, 1875, 28, "ファイル取得用設定");
    add("ChkExt", K::CheckBox, "FraFile", 240, 240, 3495, 255, 10, "ファイル名の拡張子は取得しない",
        "例）家族集合写真");
    add("ChkSub", K::CheckBox, "FraFile", 360, 1560, 3375, 255, 14, "サブフォルダも対象").enabled = false;
    Control& pattern = add("CboPattern", K::ComboBox, "FraFile", 360, 1200, 3255, 345, 13, "");
    pattern.text = "*.*";
    pattern.list = SplitBars(kDefaultPatternSet);
    pattern.enabled = false;
    pattern.fontFace = kButtonFace;
    pattern.fontSize = 11.25;
    add("ChkFolder", K::CheckBox, "FraFile", 240, 720, 3495, 255, 12, "フォルダ内のファイルパスを取得");
    add("ChkSize", K::CheckBox, "FraFile", 240, 480, 2895, 255, 11, "ファイルサイズも取得(単位)",
        "例）家族集合写真.jpg 1,234,567");
    add("LblUnit", K::Label, "FraFile", 3120, 480, 615, 255, 34, kSizeUnits[0].label,
        "クリックしてください。ファイルサイズ単位 なし/byte/KB/MB")
        .command = Command::StepUnit;
    add("LblPattern", K::Label, "FraFile", 360, 990, 3375, 255, 29, "取得するファイルのパターン").enabled = false;
    // The collection run sorts and lists files in plain code, so the window needs no
    // hidden service lists.
    button(add("CmdCancel", K::Button, "", 2280, 5940, 795, 360, 20, "中止"), Command::Cancel).isCancel = true;
    button(add("CmdGet", K::Button, "", 1080, 5940, 1155, 360, 19, "取　得"), Command::Get).isDefault = true;
    add("FraCommon", K::Frame, "", 0, 0, 3855, 2655, 27, "");
    add("ChkRepSP", K::CheckBox, "FraCommon", 240, 1920, 3855, 255, 6, "空白を「%20」に変換して取得",
        R"(例）C:\My%20Documents\My%20Pictures\家族集合写真.jpg)");
    add("TxtSuffix", K::TextBox, "FraCommon", 2820, 2400, 975, 270, 9, "", kPathExampleTip);
    add("TxtPrefix", K::TextBox, "FraCommon", 1080, 2400, 975, 270, 8, "", kPathExampleTip);
    add("ChkRepYen", K::CheckBox, "FraCommon", 240, 1680, 3855, 255, 5, R"(「\」を「/」に変換して取得)",
        R"(例）C:/My Documents/My Pictures/家族集合写真.jpg)");
    add("Chk1Frtn", K::CheckBox, "FraCommon", 240, 2160, 3855, 255, 7, "1ファイル/パスの場合でも最後に改行");
    add("ChkBackword", K::CheckBox, "FraCommon", 480, 720, 3615, 255, 1, "選択フォルダ以後の文字列のみ取得");
    add("ChkTime", K::CheckBox, "FraCommon", 240, 1200, 3855, 255, 3, "ファイル更新(フォルダ作成)日も取得",
        "例）家族集合写真.jpg 2007/07/16 1:10:00");
    add("ChkUpper", K::CheckBox, "FraCommon", 240, 960, 3855, 255, 2, "できる限り大文字に変換",
        R"(例）C:\MY DOCUMENTS\MY PICTURES\家族集合写真.JPG)");
    add("ChkName", K::CheckBox, "FraCommon", 120, 480, 3975, 255, 0, "ファイル名(対象フォルダ名)のみ取得",
        "例）家族集合写真.jpg");
    add("ChkUnc", K::CheckBox, "FraCommon", 240, 1440, 3855, 255, 4, "ネットワークの場合UNCを取得",
        R"(例）\\Server\Pictures\家族集合写真.jpg)");
    add("OptShot", K::OptionButton, "FraCommon", 120, 240, 3975, 255, 23, "短いパス（DOS対応）取得",
        R"(例）C:\My Doc~1\My Pic~1\家族集~1.jpg)");
    add("OptLong", K::OptionButton, "FraCommon", 120, 0, 3975, 255, 22, "長いパス（Windows対応）取得",
        R"(例）C:\My Documents\My Pictures\家族集合写真.jpg)")
        .selected = true;
    add("Label2", K::Label, "FraCommon", 2220, 2430, 615, 255, 33, "接尾語", kPathExampleTip);
    add("Label1", K::Label, "FraCommon", 480, 2430, 735, 255, 32, "接頭語", kPathExampleTip);
}

// ---- Reading the form ----

const Control* SettingsForm::Find(std::string_view name) const {
    for (const Control& c : controls_)
        if (c.name == name) return &c;
    return nullptr;
}

const Control& SettingsForm::At(std::string_view name) const {
    const Control* c = Find(name);
    if (!c) throw std::out_of_range("no control named " + std::string(name));
    return *c;
}

Control* SettingsForm::Mutable(std::string_view name) {
    return const_cast<Control*>(Find(name));
}

bool SettingsForm::IsUsable(std::string_view name) const {
    for (const Control* c = Find(name); c; c = c->container.empty() ? nullptr : Find(c->container))
        if (!c->enabled || !c->visible) return false;
    return Find(name) != nullptr;
}

std::vector<std::string> SettingsForm::TabOrder() const {
    std::vector<const Control*> stops;
    for (const Control& c : controls_)
        if (c.IsTabStop()) stops.push_back(&c);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    std::vector<std::string> names;
    for (const Control* c : stops) names.push_back(c->name);
    return names;
}

std::string SettingsForm::InitialFocus() const {
    for (const std::string& name : TabOrder())
        if (IsUsable(name)) return name;
    return {};
}

bool SettingsForm::Checked(std::string_view name) const {
    const Control* c = Find(name);
    return c && c->checked;
}

void SettingsForm::SetEnabled(std::string_view name, bool enabled) {
    if (Control* c = Mutable(name)) c->enabled = enabled;
}

// ---- Loading ----

void SettingsForm::Load(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY,
                        int screenWidthTwips, int screenHeightTwips) {
    if (loaded_) return;
    loaded_ = true;

    // The pointer falls near CmdGet; the limits keep the window on the screen, the right
    // and bottom ones winning over the left and top.
    long long left = RoundHalfEven(cursorX * twipsPerPixelX - kPointerLeft);
    if (left < 0) left = 0;
    if (screenWidthTwips - kOuterWidth < left) left = screenWidthTwips - kOuterWidth;
    long long top = RoundHalfEven(cursorY * twipsPerPixelY - kPointerTop);
    if (top < 0) top = 0;
    if (screenHeightTwips - kOuterHeight < top) top = screenHeightTwips - kOuterHeight;
    windowLeft_ = static_cast<int>(left);
    windowTop_ = static_cast<int>(top);

    if (!session_.SettingsLoaded) return;

    // Each check box set here runs its reaction, so the enabled states follow the
    // loaded states; the table's order decides between two loaded tree flags (ChkTreeF
    // comes later and wins).
    for (const OptionRow& row : Options()) LoadOption(row);
}

// Shows one option on its control.
void SettingsForm::LoadOption(const OptionRow& row) {
    const OptionSet& o = session_.options;
    const OptionControl& w = row.window;
    switch (w.shown) {
    case Shown::Checked:
    case Shown::CheckedIfEnabled:
        SetChecked(w.control, o.*row.field.flag);
        break;
    case Shown::Selected:
        SelectOption(o.*row.field.flag ? w.control : w.offControl);
        break;
    case Shown::Text:
        SetText(w.control, o.*row.field.text);
        break;
    case Shown::List:
        if (!(o.*row.field.text).empty()) Mutable(w.control)->list = SplitBars(o.*row.field.text);
        break;
    case Shown::UnitName:
        Mutable(w.control)->caption = UnitLabel(o.*row.field.unit);
        break;
    }
}

// ---- User actions ----

bool SettingsForm::SetChecked(std::string_view name, bool checked) {
    Control* c = Mutable(name);
    if (!c || c->kind != ControlKind::CheckBox) return false;
    if (c->checked == checked) return true;
    c->checked = checked;

    // The two tree boxes exclude each other; unchecking the partner runs its reaction too.
    if (name == "ChkTreeF" && checked) SetChecked("ChkTreeP", false);
    if (name == "ChkTreeP" && checked) SetChecked("ChkTreeF", false);
    if (name == "ChkTreeF" || name == "ChkTreeP" || name == "ChkName" || name == "ChkDir" ||
        name == "ChkFolder")
        RefreshEnabling();
    return true;
}

bool SettingsForm::SelectOption(std::string_view name) {
    Control* chosen = Mutable(name);
    if (!chosen || chosen->kind != ControlKind::OptionButton) return false;
    for (Control& c : controls_)
        if (c.kind == ControlKind::OptionButton && c.container == chosen->container) c.selected = false;
    chosen->selected = true;
    return true;
}

bool SettingsForm::SetText(std::string_view name, std::string text) {
    Control* c = Mutable(name);
    if (!c || (c->kind != ControlKind::ComboBox && c->kind != ControlKind::TextBox)) return false;
    c->text = std::move(text);
    return true;
}

bool SettingsForm::ClickUnitLabel() {
    const OptionRow& row = UnitOption();
    if (!IsUsable(row.window.control)) return false;
    int& unit = session_.options.*row.field.unit;
    unit = NextUnit(unit);
    LoadOption(row);
    return true;
}

// Enables the controls that apply to the handling the five governing boxes choose: a
// tree listing, subfolder names, pattern-matched files, or item lines.
void SettingsForm::RefreshEnabling() {
    if (Checked("ChkTreeP") || Checked("ChkTreeF")) {
        for (const char* name : {"OptLong", "OptShot", "ChkName", "ChkBackword", "ChkTime", "Chk1Frtn",
                                 "FraFile", "ChkExt", "ChkSize", "ChkFolder", "LblPattern", "CboPattern",
                                 "ChkSub", "FraFolder", "ChkDir"})
            SetEnabled(name, false);
        return;
    }
    for (const char* name : {"FraCommon", "OptLong", "OptShot", "ChkName"}) SetEnabled(name, true);
    SetEnabled("ChkBackword", !Checked("ChkName"));
    SetEnabled("ChkTime", true);
    SetEnabled("Chk1Frtn", true);
    bool files = !Checked("ChkDir");
    for (const char* name : {"FraFile", "ChkExt", "ChkSize", "ChkFolder"}) SetEnabled(name, files);
    bool pattern = files && Checked("ChkFolder");
    for (const char* name : {"LblPattern", "CboPattern", "ChkSub"}) SetEnabled(name, pattern);
    SetEnabled("FraFolder", true);
    SetEnabled("ChkDir", true);
}

// ---- Commands ----

void SettingsForm::StoreControls() {
    for (const OptionRow& row : Options()) StoreOption(row);
}

// Stores one option from its control.
void SettingsForm::StoreOption(const OptionRow& row) {
    OptionSet& o = session_.options;
    const OptionControl& w = row.window;
    const Control& c = At(w.control);
    switch (w.shown) {
    case Shown::Checked:
        o.*row.field.flag = c.checked;
        break;
    case Shown::CheckedIfEnabled:
        o.*row.field.flag = c.checked && c.enabled;
        break;
    case Shown::Selected:
        o.*row.field.flag = c.selected;
        break;
    case Shown::Text:
        o.*row.field.text = c.text.empty() && !w.emptyStores.empty() ? std::string(w.emptyStores) : c.text;
        break;
    case Shown::List:
    case Shown::UnitName:
        break;  // never stored from the window
    }
}

bool SettingsForm::Run(Command command) {
    switch (command) {
    case Command::Get:
        Get();
        return true;
    case Command::Cancel:
        Cancel();
        return true;
    case Command::Help:
        Help();
        return true;
    case Command::StepUnit:
        return ClickUnitLabel();
    case Command::None:
        break;
    }
    return false;
}

void SettingsForm::Get() {
    if (closed_) return;
    StoreControls();
    // The options are saved before the run, as the close after it would save them: a run
    // stopped while a file system does not answer may end the program without returning.
    Close();
    RunCollectPaths(session_.options, platform_, runs_);
}

void SettingsForm::Cancel() {
    if (closed_) return;
    session_.Cancelled = true;
    Close();
}

void SettingsForm::Help() {
    if (closed_) return;
    platform_.OpenUsageText();
}

void SettingsForm::Close() {
    if (closed_) return;
    closed_ = true;
    if (!session_.Cancelled) SaveSettings(session_, platform_);
}

void SettingsForm::EndSession() {
    if (closed_ || session_.Cancelled) return;
    SaveSettings(session_, platform_);
}

}  // namespace kirramo
