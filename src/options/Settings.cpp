#include "options/Settings.h"

#include <algorithm>

#include "options/OptionTable.h"
#include "platform/Platform.h"

namespace kirramo {

namespace {

// The byte-order mark that an editor may put before the first key of a UTF-8 file.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Whether the text is well-formed UTF-8: no overlong form, no surrogate, nothing above
// U+10FFFF.
bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The number of bytes that follow the lead byte, and the range of the first of
        // them, which rules out the overlong forms, the surrogates and what lies above.
        size_t follow = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            follow = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            follow = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            follow = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (text.size() - i - 1 < follow) return false;
        const unsigned char first = static_cast<unsigned char>(text[i + 1]);
        if (first < low || first > high) return false;
        for (size_t k = 2; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += follow + 1;
    }
    return true;
}

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

// Whether the line's key was read into the options.
bool StoreLine(std::string_view line, OptionSet& options) {
    const OptionRow* row = KeyOfLine(line);
    return row && ReadValue(*row, line.substr(row->key.size()), options);
}

// Reads the text's lines into the options; the number of lines whose key was read.
int StoreLines(std::string_view text, OptionSet& options) {
    // A byte-order mark that an editor put before the first key is not part of it.
    if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());

    int stored = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (StoreLine(text.substr(start, end - start), options)) ++stored;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    return stored;
}

}  // namespace

bool ParseSettings(std::string_view text, OptionSet& options) {
    StoreLines(text, options);
    return true;
}

std::string DecodeSettingsBytes(std::string_view bytes,
                                const std::function<std::string(std::string_view)>& ansiLine) {
    if (bytes.starts_with(kUtf8Mark)) return std::string(bytes.substr(kUtf8Mark.size()));
    // CR and LF are never part of a double-byte character of the ANSI code page, so the
    // bytes break into lines the same way in every code page.
    std::string text;
    text.reserve(bytes.size());
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        if (IsUtf8(line))
            text += line;
        else
            text += ansiLine(line);
        start = std::min(bytes.find_first_not_of("\r\n", end), bytes.size());
        text += bytes.substr(end, start - end);
    }
    return text;
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
    const std::optional<std::string> bytes = platform.ReadSettingsBytes();
    if (!bytes) return false;
    const std::string text =
        DecodeSettingsBytes(*bytes, [&platform](std::string_view line) { return platform.AnsiLineText(line); });
    // Nothing is changed when no key is read, so the options stay as they were.
    return StoreLines(text, session.options) > 0;
}

void SaveSettings(Session& session, Platform& platform) {
    if (session.Cancelled) return;
    if (session.options.GFPatternSet.empty()) session.options.GFPatternSet = kDefaultPatternSet;
    const std::string text = SettingsText(session.options);
    // A character that the plain form lacks would be lost there; UTF-8 holds them all,
    // and its mark tells the reading so.
    std::optional<std::string> bytes = platform.PlainSettingsBytes(text);
    if (!bytes) bytes = std::string(kUtf8Mark) + text;
    // A failed write leaves the old file as it was.
    if (!platform.WriteSettingsBytes(*bytes))
        platform.MessageBox(std::string(kSettingsNotSavedMessage) + "\r\n" + platform.SettingsLocation());
}

}  // namespace kirramo
