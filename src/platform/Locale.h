// The user's locale: the order of a sorted list, upper case, and the forms of dates,
// times and numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace kirramo {

// Makes the sort keys of one sort, one text at a time. It shares nothing with the
// Platform that made it, so another thread may use it while that Platform goes on
// working (one thread at a time per builder).
class SortKeyBuilder {
public:
    virtual ~SortKeyBuilder() = default;
    // Writes the key of a text into buffer when it fits into capacity bytes and returns
    // its length; otherwise returns a number above capacity: the capacity to call again
    // with. Keys compare as byte strings: the first differing byte decides (as
    // unsigned), and a key that is the start of another comes first. Texts with
    // different keys are in the order of the sorted list; a key may leave out finer
    // differences, which CompareEqualKeys then decides.
    virtual size_t Key(std::string_view text, unsigned char* buffer, size_t capacity) = 0;
    // The order of two texts whose keys are equal: negative, zero or positive as a
    // comes before, together with, or after b.
    virtual int CompareEqualKeys(std::string_view a, std::string_view b) = 0;
    // Whether the key of a text that holds `separator` at some position equals the key
    // of the text up to and with that separator followed by the key of the rest, so
    // that lines below one folder can share the key of the folder's part. May take a
    // few milliseconds; asked once per sort.
    virtual bool KeysJoinAfter(char separator) = 0;
};

// Digits of n grouped by three with the given thousands separator ("1,234,567"), for
// backends whose locale form is fixed.
inline std::string GroupDigitsWith(uint64_t n, std::string_view separator) {
    const std::string digits = std::to_string(n);
    std::string out;
    out.reserve(digits.size() + separator.size() * (digits.size() / 3));
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

class Locale {
public:
    virtual ~Locale() = default;

    // A UTC time in the machine's local time zone.
    virtual std::optional<CivilTime> UtcToLocal(FileTicks t) = 0;
    // The date and time separators of the user's locale ("/" and ":" in Japanese).
    virtual std::string DateSeparator() = 0;
    virtual std::string TimeSeparator() = 0;
    // The locale's general date-time form of a local time: short date, a blank and the
    // long time; the date alone at exactly 00:00:00 ("2007/07/16 1:10:00" in Japanese).
    virtual std::string GeneralDateText(const CivilTime& local) = 0;
    // Digits grouped by three with the locale's thousands separator ("1,234,567").
    virtual std::string GroupDigits(uint64_t n) = 0;

    // Keys whose byte order is the order of a sorted list box: ascending, without
    // regard to case, in the user's locale. keys[i] belongs to lines[i].
    virtual std::vector<std::string> SortKeys(const std::vector<std::string>& lines) = 0;
    // A key builder for one sort, in the order of SortKeys; nothing where the platform
    // has none, and the core then asks SortKeys for all keys at once.
    virtual std::unique_ptr<SortKeyBuilder> NewSortKeyBuilder() { return nullptr; }
    // The text in upper case, as far as the locale allows.
    virtual std::string UpperCase(const std::string& text) = 0;
};

}  // namespace kirramo
