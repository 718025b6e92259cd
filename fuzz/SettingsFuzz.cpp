// Any settings text is read without fault, and what is read survives a write and a
// second read unchanged.
#include <cstdint>
#include <cstdlib>

#include "options/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    kirramo::OptionSet options;
    if (!kirramo::ParseSettings(text, options)) std::abort();
    if (options.GUnit < 0 || options.GUnit > 9) std::abort();

    kirramo::OptionSet again;
    kirramo::ParseSettings(kirramo::SettingsText(options), again);
    if (!(again == options)) std::abort();
    return 0;
}
