// The settings file: one "Key=value" line per option (options/OptionTable.h) keeps the
// options between starts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "options/OptionSet.h"

namespace kirramo {

class Platform;

// The message shown when the settings could not be saved; the file's path follows it.
inline constexpr const char* kSettingsNotSavedMessage = "設定を保存できませんでした。";

// Reads settings text into the options. Only a key at the start of a line counts;
// CR LF, a lone CR and a lone LF all end a line; a line without a key, or a GUnit line
// whose last character is not a digit, is skipped. Fields without a line keep their
// values. Returns true when the text was read to its end.
bool ParseSettings(std::string_view text, OptionSet& options);

// The lines of every option in the file's fixed order, joined and ended by CR LF.
std::string SettingsText(const OptionSet& options);

// The settings text of a settings file's bytes. A file that begins with the UTF-8
// byte-order mark is UTF-8 (the mark is dropped). In any other file each line stands
// alone: a line that is valid UTF-8 is taken as it is (an ASCII line reads the same in
// every code page), any other line is in the ANSI code page and ansiLine turns it into
// UTF-8. The line breaks stay as they are.
std::string DecodeSettingsBytes(std::string_view bytes,
                                const std::function<std::string(std::string_view)>& ansiLine);

// Reads the settings file into session.options. False when there is no file that can
// be read, or when no key was read from it (an empty file, or one that holds no
// settings): such a file counts as none.
bool LoadSettings(Session& session, Platform& platform);

// Writes the options unless the window was cancelled. An empty pattern list becomes
// the default list first (in the options too). The file is written in the store's
// plain form where that holds every character, else in UTF-8 behind the byte-order
// mark. When the write fails the old file stays as it was and a message box says so.
void SaveSettings(Session& session, Platform& platform);

}  // namespace kirramo
