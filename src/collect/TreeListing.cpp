#include "collect/TreeListing.h"

#include <initializer_list>
#include <string_view>

namespace kirramo {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// Whether a whole line is one of the markers, ignoring the case of ASCII letters and
// blanks at its end, with or without a closing full stop ("。" or "."); with
// `withDetail` also the marker followed by " - " and what it is about ("Invalid path -
// \x"). The tree command writes its markers at the start of a line, while every line
// of the listing itself starts with tree drawing or indentation, so an entry whose
// name holds a marker's words is never taken for one.
bool IsMarkerLine(std::string_view line, std::initializer_list<std::string_view> markers, bool withDetail) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    for (std::string_view marker : markers) {
        if (line.size() < marker.size() || !EqualsNoCase(line.substr(0, marker.size()), marker)) continue;
        std::string_view rest = line.substr(marker.size());
        if (rest.empty() || rest == "。" || rest == ".") return true;
        if (withDetail && rest.starts_with(" - ")) return true;
    }
    return false;
}

// The tree command's markers, in the current and older Japanese spelling and in English.
bool IsInvalidPathLine(std::string_view line) {
    return IsMarkerLine(line, {"無効なパスです", "Invalid path"}, true);
}

bool IsNoSubfoldersLine(std::string_view line) {
    return IsMarkerLine(line, {"サブフォルダーは存在しません", "サブフォルダは存在しません", "No subfolders exist"},
                        false);
}

}  // namespace

bool ReadTreeOutput(const std::vector<std::string>& output, std::vector<std::string>& lines) {
    // Lines 1 and 2 are the command's header; line 3 is the folder itself and line 4
    // is either a marker or the listing's second line.
    if (output.size() < 4) return false;
    if (IsInvalidPathLine(output[3])) return false;

    // The listing's first line takes the place of an empty last element (the run's
    // starting placeholder, or the trailing empty element of an earlier listing); a
    // non-empty last element is an item line and keeps its place.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    lines.push_back(output[2]);
    for (size_t i = 3; i < output.size(); ++i) {
        if (IsNoSubfoldersLine(output[i])) break;
        lines.push_back(output[i]);
    }
    // The listing ends with one empty element, so a line break follows its last line.
    lines.emplace_back();
    return true;
}

}  // namespace kirramo
