// Any argument text is split without fault. Without quotes the pieces joined by
// spaces give the text back; with quotes no piece is empty, holds a quote, or begins
// or ends with a space.
#include <cstdint>
#include <cstdlib>

#include "collect/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> paths = kirramo::SplitCommandLine(text);

    if (text.find('"') == std::string_view::npos) {
        std::string joined;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (i) joined += ' ';
            joined += paths[i];
        }
        if (joined != text) std::abort();
        return 0;
    }
    for (const std::string& p : paths) {
        if (p.empty() || p.find('"') != std::string::npos || p.front() == ' ' || p.back() == ' ')
            std::abort();
    }
    return 0;
}
