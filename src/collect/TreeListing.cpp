#include "collect/TreeListing.h"

#include <initializer_list>
#include <string_view>

namespace kirramo {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Whether `line` contains `marker`, ignoring the case of ASCII letters. The bytes of a
// multi-byte UTF-8 character are never letters, so Japanese text compares exactly.
bool ContainsNoCase(std::string_view line, std::string_view marker) {
    if (marker.size() > line.size()) return false;
    for (size_t i = 0; i + marker.size() <= line.size(); ++i) {
        size_t j = 0;
        while (j < marker.size() && AsciiLower(line[i + j]) == AsciiLower(marker[j])) ++j;
        if (j == marker.size()) return true;
    }
    return false;
}

bool ContainsAny(std::string_view line, std::initializer_list<std::string_view> markers) {
    for (std::string_view m : markers) {
        if (ContainsNoCase(line, m)) return true;
    }
    return false;
}

// The tree command's markers, in the current and older Japanese spelling and in English.
bool IsInvalidPathLine(std::string_view line) {
    return ContainsAny(line, {"無効なパスです", "Invalid path"});
}

bool IsNoSubfoldersLine(std::string_view line) {
    return ContainsAny(line, {"サブフォルダーは存在しません", "サブフォルダは存在しません",
                              "No subfolders exist"});
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
