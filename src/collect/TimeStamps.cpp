#include "collect/TimeStamps.h"

namespace kirramo {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = 86'400 * kTicksPerSecond;
// Days from 1601-01-01 (tick 0) to 1970-01-01, the epoch of the day arithmetic below.
constexpr int64_t kDaysTo1970 = 134'774;
constexpr FileTicks kFileTimeOffset = 9 * 3600 * kTicksPerSecond;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void AppendPadded(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

std::optional<CivilTime> CivilFromTicks(FileTicks t) {
    if (t < 0) return std::nullopt;  // kNoTime and every time before 1601
    int64_t z = t / kTicksPerDay - kDaysTo1970 + 719468;
    const int64_t secs = t % kTicksPerDay / kTicksPerSecond;  // parts of a second are cut
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilTime c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(yoe + era * 400 + (c.month <= 2));
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

FileTicks TicksFromCivil(const CivilTime& c) {
    // A month outside 1..12 carries into the year; the other fields are linear.
    int64_t months = static_cast<int64_t>(c.year) * 12 + (c.month - 1);
    int64_t year = months >= 0 ? months / 12 : (months - 11) / 12;
    int64_t month = months - year * 12 + 1;
    int64_t days = DaysFromCivil(year, month, 1) + (c.day - 1) + kDaysTo1970;
    return days * kTicksPerDay +
           (static_cast<int64_t>(c.hour) * 3600 + static_cast<int64_t>(c.minute) * 60 + c.second) *
               kTicksPerSecond;
}

std::string FileTimeText(Locale& locale, FileTicks utc) {
    if (utc < 0 || utc > INT64_MAX - kFileTimeOffset) return {};
    // A fixed 9 hours, whatever the machine's time zone and season.
    std::optional<CivilTime> c = CivilFromTicks(utc + kFileTimeOffset);
    if (!c) return {};
    const std::string dateSep = locale.DateSeparator();
    const std::string timeSep = locale.TimeSeparator();
    std::string text;
    text.reserve(19 + 2 * (dateSep.size() + timeSep.size()));
    AppendPadded(text, c->year, 4);
    text += dateSep;
    AppendPadded(text, c->month, 2);
    text += dateSep;
    AppendPadded(text, c->day, 2);
    text += ' ';
    AppendPadded(text, c->hour, 2);
    text += timeSep;
    AppendPadded(text, c->minute, 2);
    text += timeSep;
    AppendPadded(text, c->second, 2);
    return text;
}

std::string ItemTimeText(Locale& locale, const EntryInfo& entry) {
    if (!entry.IsDir()) return FileTimeText(locale, entry.writeTime);
    if (entry.creationTime == kNoTime) return {};
    std::optional<CivilTime> local = locale.UtcToLocal(entry.creationTime);
    return local ? locale.GeneralDateText(*local) : std::string();
}

}  // namespace kirramo
