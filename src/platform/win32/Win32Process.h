// Starting other programs from the Windows backend. No Windows header here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace kirramo::win32 {

// Starts a program by its full path with the given arguments, without waiting.
bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments);

// The lines of the tree command's listing of a folder: treeProgram started by its full
// path with the folder as one argument (and /F before it when files are wanted), its
// standard output read through a pipe until it has ended and decoded from the OEM code
// page. Nothing when it could not be started or its output could not be read.
std::optional<std::vector<std::string>> TreeListing(const std::wstring& treeProgram, const std::wstring& folder,
                                                    bool withFiles);

// Splits a text into lines at CR LF (a lone LF ends a line too). A line end at the very
// end starts no further line.
std::vector<std::wstring> SplitLines(const std::wstring& text);

}  // namespace kirramo::win32
