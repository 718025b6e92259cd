#include "options/Settings.h"

#include "platform/Platform.h"

namespace kirramo {

namespace {

enum class Kind { Flag, Text, Unit };

// One line of the settings file: its key text ("=" included) and the field it fills.
struct KeyLine {
    std::string_view key;
    Kind kind;
    bool OptionSet::*flag = nullptr;
    std::string OptionSet::*text = nullptr;
};

constexpr KeyLine Flag(std::string_view key, bool OptionSet::*field) {
    return {key, Kind::Flag, field, nullptr};
}
constexpr KeyLine Text(std::string_view key, std::string OptionSet::*field) {
    return {key, Kind::Text, nullptr, field};
}

// The 22 lines in the file's fixed order.
constexpr KeyLine kLines[] = {
    Flag("GLong=", &OptionSet::GLong),
    Flag("GUpper=", &OptionSet::GUpper),
    Flag("GName=", &OptionSet::GName),
    Flag("GExt=", &OptionSet::GExt),
    Flag("GFolder=", &OptionSet::GFolder),
    Text("GFPattern=", &OptionSet::GFPattern),
    Text("GFPatternSet=", &OptionSet::GFPatternSet),
    Flag("GSub=", &OptionSet::GSub),
    Flag("GTime=", &OptionSet::GTime),
    Flag("GUnc=", &OptionSet::GUnc),
    Flag("GSize=", &OptionSet::GSize),
    {"GUnit=", Kind::Unit},
    Flag("GDir=", &OptionSet::GDir),
    Flag("GBackword=", &OptionSet::GBackword),
    Flag("GTreeP=", &OptionSet::GTreeP),
    Flag("GTreeF=", &OptionSet::GTreeF),
    Flag("GRepYen=", &OptionSet::GRepYen),
    Flag("GRepSP=", &OptionSet::GRepSP),
    Flag("G1Frtn=", &OptionSet::G1Frtn),
    Flag("GMenu=", &OptionSet::GMenu),
    Text("GPrefix=", &OptionSet::GPrefix),
    Text("GSuffix=", &OptionSet::GSuffix),
};

// The key that begins the line, if any. Every key ends with its only "=", so the text
// up to the first "=" can match at most one key.
const KeyLine* KeyOfLine(std::string_view line) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return nullptr;
    std::string_view key = line.substr(0, eq + 1);
    for (const KeyLine& k : kLines) {
        if (k.key == key) return &k;
    }
    return nullptr;
}

void StoreLine(std::string_view line, OptionSet& options) {
    const KeyLine* k = KeyOfLine(line);
    if (!k) return;
    std::string_view value = line.substr(k->key.size());
    switch (k->kind) {
    case Kind::Flag:
        options.*(k->flag) = (value == "True");
        break;
    case Kind::Text:
        options.*(k->text) = std::string(value);
        break;
    case Kind::Unit: {
        // The unit is the last character of the whole line; a line that does not end
        // in a digit (such as a bare "GUnit=") carries no unit and is passed over.
        char last = line.back();
        if (last >= '0' && last <= '9') options.GUnit = last - '0';
        break;
    }
    }
}

}  // namespace

bool ParseSettings(std::string_view text, OptionSet& options) {
    // A byte-order mark that an editor put before the first key is not part of it.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        StoreLine(text.substr(start, end - start), options);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    return true;
}

std::string SettingsText(const OptionSet& options) {
    std::string out;
    out.reserve(256 + options.GFPattern.size() + options.GFPatternSet.size() +
                options.GPrefix.size() + options.GSuffix.size());
    for (const KeyLine& k : kLines) {
        out += k.key;
        switch (k.kind) {
        case Kind::Flag:
            out += options.*(k.flag) ? "True" : "False";
            break;
        case Kind::Text:
            out += options.*(k.text);
            break;
        case Kind::Unit:
            out += std::to_string(options.GUnit);
            break;
        }
        out += "\r\n";
    }
    return out;
}

bool LoadSettings(Session& session, Platform& platform) {
    std::optional<std::string> text = platform.ReadSettingsText();
    if (!text) return false;
    return ParseSettings(*text, session.options);
}

void SaveSettings(Session& session, Platform& platform) {
    if (session.Cancelled) return;
    if (session.options.GFPatternSet.empty()) session.options.GFPatternSet = kDefaultPatternSet;
    // A failed write leaves the old file as it was; the save is silent either way.
    (void)platform.WriteSettingsText(SettingsText(session.options));
}

}  // namespace kirramo
