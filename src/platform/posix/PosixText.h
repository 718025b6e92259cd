// Text services of the Linux backend, on top of ICU: collation keys, upper case,
// and cp932 (Shift-JIS), the code page of settings files written on Windows.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct UCollator;

namespace kirramo::posix {

// The collation locale of the user from the values of LC_ALL, LC_COLLATE and LANG
// (the first one set wins): "ja_JP.UTF-8" gives "ja_JP"; unset, "C" and "POSIX" give
// "" (the root collation). Null pointers count as unset.
std::string CollationLocale(const char* lcAll, const char* lcCollate, const char* lang);

// Sort keys of the sorted list: ascending, case ignored (secondary strength).
class Collator {
public:
    explicit Collator(const std::string& locale);
    ~Collator();
    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    // An independent copy, for use on another thread; with primaryOnly its keys leave
    // out the differences finer than the base letters (accents, voicing marks). Nothing
    // when the copy cannot be made.
    std::unique_ptr<Collator> Clone(bool primaryOnly = false) const;

    // The key of one UTF-8 line; byte order of keys is the order of the lines. Bytes
    // that are not UTF-8 count as U+FFFD.
    std::string Key(std::string_view utf8);
    // The same key written into a buffer, as SortKeyBuilder::Key does: its length when
    // it fits into capacity bytes, else a larger number, the capacity to try again with.
    size_t KeyInto(std::string_view utf8, unsigned char* buffer, size_t capacity);
    // The order of two UTF-8 lines: negative, zero or positive.
    int Compare(std::string_view a, std::string_view b);
    // Whether the key of a text with the ASCII character `separator` inside it equals
    // the key of the part up to and with the separator followed by the key of the rest:
    // the separator starts no compressed run of weights and takes part in no rule of
    // several characters (contraction or context). Costs a few milliseconds.
    bool KeysJoinAfter(char separator);

private:
    Collator() = default;

    UCollator* collator_ = nullptr;
    std::u16string text_;
    std::string key_;
};

bool IsValidUtf8(std::string_view text);

// Upper case by the full Unicode rules (ß becomes SS). Bytes that are not UTF-8 are
// kept as they are.
std::string UpperCaseUtf8(std::string_view text);

// Text in cp932 (Shift-JIS as Windows has it) as UTF-8. Nothing when no cp932
// converter exists.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

}  // namespace kirramo::posix
