// Where the settings file's text is kept between starts.
#pragma once

#include <optional>
#include <string>

namespace kirramo {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The settings file's text decoded to UTF-8, or nothing when it cannot be read.
    virtual std::optional<std::string> ReadSettingsText() = 0;
    // Writes the settings file in one piece: a new file beside the old one replaces it
    // only when the whole text is written. False when anything failed.
    virtual bool WriteSettingsText(const std::string& text) = 0;
};

}  // namespace kirramo
