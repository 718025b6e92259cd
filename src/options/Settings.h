// The settings file: one "Key=value" line per option (options/OptionTable.h) keeps the
// options between starts.
#pragma once

#include <string>
#include <string_view>

#include "options/OptionSet.h"

namespace kirramo {

class Platform;

// Reads settings text into the options. Only a key at the start of a line counts;
// CR LF, a lone CR and a lone LF all end a line; a line without a key, or a GUnit line
// whose last character is not a digit, is skipped. Fields without a line keep their
// values. Returns true when the text was read to its end.
bool ParseSettings(std::string_view text, OptionSet& options);

// The lines of every option in the file's fixed order, joined and ended by CR LF.
std::string SettingsText(const OptionSet& options);

// Reads the settings file into session.options; false when it cannot be read.
bool LoadSettings(Session& session, Platform& platform);

// Writes the options unless the window was cancelled. An empty pattern list becomes
// the default list first (in the options too). Failures are silent; the old file
// stays as it was.
void SaveSettings(Session& session, Platform& platform);

}  // namespace kirramo
