#include "options/Settings.h"

#include "options/OptionTable.h"
#include "platform/Platform.h"

namespace kirramo {

namespace {

// The option whose key begins the line, if any. Every key ends with its only "=", so
// the text up to the first "=" can match at most one key.
const OptionRow* KeyOfLine(std::string_view line) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return nullptr;
    std::string_view key = line.substr(0, eq + 1);
    for (const OptionRow& row : Options()) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

void StoreLine(std::string_view line, OptionSet& options) {
    if (const OptionRow* row = KeyOfLine(line)) ReadValue(*row, line.substr(row->key.size()), options);
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
    for (const OptionRow& row : Options()) {
        out += row.key;
        out += ValueText(row, options);
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
