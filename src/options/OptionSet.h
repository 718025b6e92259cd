// The user's options and the values that one process shares between its parts.
#pragma once

#include <string>

namespace kirramo {

// The 22 user options, named by their settings-file keys, in the file's order.
// Flags are plain bools here; the settings file writes them as "True" / "False".
struct OptionSet {
    bool GLong = false;
    bool GUpper = false;
    bool GName = false;
    bool GExt = false;
    bool GFolder = false;
    std::string GFPattern;
    std::string GFPatternSet;
    bool GSub = false;
    bool GTime = false;
    bool GUnc = false;
    bool GSize = false;
    int GUnit = 0;
    bool GDir = false;
    bool GBackword = false;
    bool GTreeP = false;
    bool GTreeF = false;
    bool GRepYen = false;
    bool GRepSP = false;
    bool G1Frtn = false;
    bool GMenu = false;
    std::string GPrefix;
    std::string GSuffix;

    bool operator==(const OptionSet&) const = default;

    // The values the settings window shows when nothing was stored: the long form,
    // every other flag off, the pattern "*.*".
    static OptionSet Designed() {
        OptionSet o;
        o.GLong = true;
        o.GFPattern = "*.*";
        return o;
    }
};

// The pattern list offered by the settings window when the settings hold none.
inline constexpr const char* kDefaultPatternSet =
    "*.*|*.bat|*.bmp|*.dll|*.exe|*.gif|*.htm|*.html|*.jpg|*.log|*.tmp|*.txt";

// What one process keeps between its parts: the options and how the start went. There
// is exactly one per process; it is passed to whoever needs it instead of living in
// globals. What a collection run finds on its way stays with that run.
struct Session {
    OptionSet options;

    bool SettingsLoaded = false;   // the settings file was read at start
    bool Cancelled = false;        // the window was left by its Cancel command
};

}  // namespace kirramo
