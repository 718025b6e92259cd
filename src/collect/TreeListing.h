// Tree listings made by the system's tree command and merged into the output lines.
#pragma once

#include <string>
#include <vector>

#include "collect/FormatItem.h"
#include "platform/Desktop.h"

namespace kirramo {

// Reads the tree command's output lines (two header lines, then the listing) and
// merges the listing into `lines`. False, with `lines` unchanged, for output of fewer
// than four lines or an invalid-path marker.
bool ReadTreeOutput(const std::vector<std::string>& output, std::vector<std::string>& lines);

// Lists a folder with the tree command (files too when withFiles) and merges it.
bool RunTree(const ItemContext& context, Desktop& desktop, const std::string& folder,
             std::vector<std::string>& lines, bool withFiles);

}  // namespace kirramo
