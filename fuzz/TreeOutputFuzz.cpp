// Any tree command output (split at line feeds) is merged without fault: a refused
// output leaves the lines as they were; an accepted one keeps the earlier item lines
// and ends the list with one empty element.
#include <cstdint>
#include <cstdlib>

#include "collect/TreeListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first byte chooses what the output lines held before: only the placeholder,
    // an item line after it, or an earlier listing's trailing empty element.
    int before = 0;
    if (!text.empty()) {
        before = static_cast<unsigned char>(text[0]) % 3;
        text.remove_prefix(1);
    }
    std::vector<std::string> output;
    size_t start = 0;
    for (;;) {
        size_t nl = text.find('\n', start);
        output.emplace_back(text.substr(start, nl == std::string_view::npos ? nl : nl - start));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }

    std::vector<std::string> lines{""};
    if (before == 1) lines.push_back("C:\\item.txt");
    if (before == 2) lines = {"C:\\A", "└─a", ""};
    const std::vector<std::string> old = lines;

    if (!kirramo::ReadTreeOutput(output, lines)) {
        if (lines != old) std::abort();
        return 0;
    }
    if (output.size() < 4 || lines.empty() || !lines.back().empty()) std::abort();
    const size_t kept = old.back().empty() ? old.size() - 1 : old.size();
    for (size_t i = 0; i < kept; ++i) {
        if (lines[i] != old[i]) std::abort();
    }
    if (lines[kept] != output[2]) std::abort();
    return 0;
}
