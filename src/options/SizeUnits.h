// The units of a file size, by the value of GUnit: the name that the settings window's
// unit label shows, and the text that a size in a line ends with.
#pragma once

namespace kirramo {

struct SizeUnit {
    const char* label;   // nullptr: the label shows the number and never steps to it
    const char* suffix;
};

inline constexpr SizeUnit kSizeUnits[] = {
    {"なし", ""},
    {"byte", "byte"},
    {"KB", "KB"},
    {"MB", "MB"},
    {nullptr, "GB"},  // only a hand-edited settings file chooses it
};

}  // namespace kirramo
