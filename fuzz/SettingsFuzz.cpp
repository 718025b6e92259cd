// Any settings file's bytes are decoded and read without fault, and what is read
// survives a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>

#include "options/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The ANSI code page's conversion is the backend's; here its lines pass as they are.
    const std::string text =
        kirramo::DecodeSettingsBytes(bytes, [](std::string_view line) { return std::string(line); });
    kirramo::OptionSet options;
    if (!kirramo::ParseSettings(text, options)) std::abort();
    if (options.GUnit < 0 || options.GUnit > 9) std::abort();

    kirramo::OptionSet again;
    kirramo::ParseSettings(kirramo::SettingsText(options), again);
    if (!(again == options)) std::abort();
    return 0;
}
