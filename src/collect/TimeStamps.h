// The date-time column: a file's last write time, a folder's creation time.
#pragma once

#include <string>

#include "platform/Locale.h"

namespace kirramo {

// Calendar fields of a tick count (UTC stays UTC); nothing when out of range.
std::optional<CivilTime> CivilFromTicks(FileTicks t);
FileTicks TicksFromCivil(const CivilTime& c);

// "yyyy/mm/dd hh:nn:ss" of a UTC file time plus a fixed 9 hours (the locale's
// separators), seconds cut; empty text when the time is unknown or out of range.
std::string FileTimeText(Locale& locale, FileTicks utc);

// The date-time text of an entry: a folder's creation time in the locale's general
// form, local time; a file's FileTimeText of its last write time.
std::string ItemTimeText(Locale& locale, const EntryInfo& entry);

}  // namespace kirramo
