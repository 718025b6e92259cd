// Item lines: prefix, the path in the chosen form, suffix, and the optional columns.
#pragma once

#include <string>
#include <string_view>

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

// The characters after the last separator (all of it without one; empty when the
// text ends in one).
std::string NameOfPath(std::string_view text, char sep);
// The characters before the last separator; throws std::invalid_argument without one.
std::string ParentOfPath(std::string_view text, char sep);
// The text without the extension of its last component: everything from the last dot
// of that component on is removed; a component without a dot stays as it is.
std::string StripExtension(std::string_view text, char sep);

// The text of the folder that holds a selected path, in the form the lines will have
// (empty while GBackword is off). Throws std::invalid_argument for a path without a
// separator.
std::string SelectionBase(Session& session, Platform& platform, const std::string& path);

// The line of one item. `entry` is what the system knows of the path (attributes, and
// size and times when the options need them). Throws std::invalid_argument when the
// GBackword cut does not fit the text.
std::string FormatItem(Session& session, Platform& platform, const std::string& path,
                       const EntryInfo& entry);

// The size column's text for a byte count under a unit (0..4); empty for other units.
std::string SizeText(Platform& platform, uint64_t bytes, int unit);

// What a run must read of each entry for the current options.
InfoWanted WantedFor(const OptionSet& options);

}  // namespace kirramo
