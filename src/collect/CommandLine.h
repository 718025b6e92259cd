// Splits the raw argument text that a file manager passes into the selected paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kirramo {

// Without any double quote the text is split at every single space, nothing dropped.
// With one, a quote-aware scan keeps quoted paths whole; the pieces are then trimmed of
// spaces and empty ones are dropped.
std::vector<std::string> SplitCommandLine(std::string_view text);

}  // namespace kirramo
