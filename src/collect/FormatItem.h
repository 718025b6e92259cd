// Item lines: prefix, the path in the chosen form, suffix, and the optional columns.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "collect/PathForms.h"
#include "collect/RunProgress.h"
#include "options/OptionSet.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace kirramo {

// What the lines of one run are made with: the options, the file system and the locale,
// the network shares found so far, where a message for the user goes, and the run's
// progress (none outside a run: nothing is counted and nothing can stop the listing).
struct ItemContext {
    const OptionSet& options;
    FileSystem& files;
    Locale& locale;
    ShareCache& shares;
    std::function<void(const std::string&)> showMessage;
    RunProgress* progress = nullptr;
};

// The characters after the last separator (all of it without one; empty when the
// text ends in one).
std::string NameOfPath(std::string_view text, char sep);
// The characters before the last separator; throws std::invalid_argument without one.
std::string ParentOfPath(std::string_view text, char sep);
// The text without the extension of its last component: everything from the last dot
// of that component on is removed; a component without a dot stays as it is.
std::string StripExtension(std::string_view text, char sep);

// The text of the folder that holds a selected path, in the long or short form the lines
// will have (empty while GBackword is off). Throws std::invalid_argument for a path without a
// separator.
std::string SelectionBase(const ItemContext& context, const std::string& path);

// The line of one item. `base` is the SelectionBase of the selected path the item
// belongs to; `entry` is what the system knows of the path (attributes, and size and
// times when the options need them). Throws std::invalid_argument when the GBackword
// cut does not fit the text.
std::string FormatItem(const ItemContext& context, std::string_view base, const std::string& path,
                       const EntryInfo& entry);

// The size column's text for a byte count under a unit (0..4); empty for other units.
std::string SizeText(Locale& locale, uint64_t bytes, int unit);

// What a run must read of each entry for the current options.
InfoWanted WantedFor(const OptionSet& options);

}  // namespace kirramo
