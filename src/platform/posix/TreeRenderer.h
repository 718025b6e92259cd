// The Linux stand-in for the Windows tree command.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kirramo::posix {

// Lists a folder in the line layout of the Windows tree command on a Japanese system,
// so that the tree listing reader takes it unchanged:
//   line 1, 2   header ("フォルダー パスの一覧", the volume serial line)
//   line 3      the folder as given ("/" for an empty text)
//   line 4...   the drawing: "├─" / "└─" (last) before each subfolder, "│  " or four
//               blanks as continuation under it. With withFiles a folder's files come
//               before its subfolders, indented by "│  " when subfolders follow or
//               four blanks when not, and then one line holding only that indent.
// A folder without subfolders gets the line "サブフォルダーは存在しません。" after its
// files; a folder that cannot be opened gets "無効なパスです。" as line 4.
//
// Entries are in name order: ASCII letters compared as upper case (as NTFS orders
// names), everything else by byte, exact ties by byte. Hidden entries are listed.
// Symbolic links are listed (as folders when they lead to one) but never followed;
// a folder that cannot be read, or that is one of its own ancestors (a bind mount), is
// listed but not descended into. A tree of any depth is listed whole: only the first
// levels stay open on the way down, so the open-file limit does not cut it short.
// No line ends are included.
//
// `checkpoint`, when given, is asked before each subfolder with the number of lines
// listed so far; once it answers true the listing ends there, cut short (a cancelled
// run does not wait for a large tree).
std::vector<std::string> RenderTree(const std::string& folder, bool withFiles,
                                    const std::function<bool(size_t)>& checkpoint = {});

}  // namespace kirramo::posix
