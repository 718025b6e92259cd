#include "collect/CommandLine.h"

namespace kirramo {

namespace {

// Removes leading and trailing plain spaces (U+0020) only; tabs and ideographic
// spaces belong to the path.
std::string_view TrimSpaces(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> paths;
    if (text.empty()) return paths;

    if (text.find('"') == std::string_view::npos) {
        // Plain form: every single space separates, nothing is trimmed or dropped.
        size_t start = 0;
        for (;;) {
            size_t sp = text.find(' ', start);
            if (sp == std::string_view::npos) {
                paths.emplace_back(text.substr(start));
                break;
            }
            paths.emplace_back(text.substr(start, sp - start));
            start = sp + 1;
        }
        return paths;
    }

    // Quote-aware form. An opening quote does not end the piece gathered before it;
    // a closing quote does, and so does a space outside quotes.
    std::vector<std::string> raw;
    std::string piece;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            if (quoted) {
                raw.push_back(std::move(piece));
                piece.clear();
            }
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            raw.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    raw.push_back(std::move(piece));

    for (const std::string& r : raw) {
        std::string_view t = TrimSpaces(r);
        if (!t.empty()) paths.emplace_back(t);
    }
    return paths;
}

}  // namespace kirramo
