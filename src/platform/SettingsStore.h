// Where the settings file's bytes are kept between starts, and the code pages they are
// read and written in. The settings text itself (options/Settings) is the same on every
// platform: it decides line by line how the bytes read and which form a save takes.
#pragma once

#include <optional>
#include <string>

namespace kirramo {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The settings file's bytes as they are, or nothing when there is no file that can
    // be read.
    virtual std::optional<std::string> ReadSettingsBytes() = 0;
    // Writes the settings file in one piece: a new file beside the old one replaces it
    // only when all the bytes are written. False when anything failed.
    virtual bool WriteSettingsBytes(const std::string& bytes) = 0;
    // The settings file's path as the user reads it in a message.
    virtual std::string SettingsLocation() const = 0;

    // One line of a settings file in the ANSI code page (cp932 on a Japanese Windows,
    // and cp932 on Linux, where older files came from) as UTF-8, without its line break.
    virtual std::string AnsiLineText(std::string_view line) = 0;
    // The UTF-8 settings text in the form a settings file is written in when nothing
    // else is needed (the ANSI code page on Windows, UTF-8 on Linux), or nothing when a
    // character of it has no form there.
    virtual std::optional<std::string> PlainSettingsBytes(const std::string& text) = 0;
};

}  // namespace kirramo
