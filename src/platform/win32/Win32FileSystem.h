// The file-system operations of the Windows backend, on wide paths. No Windows header.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace kirramo::win32 {

// The entry a path names: a file, a folder, a drive root ("C:\" and the cut "C:"),
// hidden and system entries included. Nothing when it does not exist.
std::optional<EntryInfo> StatPath(const std::wstring& path, InfoWanted wanted);
// A listing of a folder's entries (never "." or ".."); a cut root "C:" is the root.
std::unique_ptr<DirReader> OpenFolder(const std::wstring& folder, InfoWanted wanted);
// The identity of the folder a path names, links and junctions followed to their target.
FileId FolderIdOf(const std::wstring& path);
// The stored long name of the one entry a path names.
std::optional<std::wstring> LongNameOf(const std::wstring& path);
// The short (8.3) form of an existing path.
std::optional<std::wstring> ShortPathOf(const std::wstring& path);

}  // namespace kirramo::win32
