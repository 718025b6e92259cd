#include "platform/posix/PosixText.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <climits>

namespace kirramo::posix {
namespace {

// UTF-8 to UTF-16 into a buffer that is reused from call to call.
void ToUtf16(std::string_view utf8, std::u16string& out) {
    if (out.size() < utf8.size()) out.resize(utf8.size());  // never more units than bytes
    UErrorCode err = U_ZERO_ERROR;
    int32_t len = 0;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &len, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
    if (U_FAILURE(err)) len = 0;
    out.resize(static_cast<size_t>(len));
}

std::string ToUtf8(const char16_t* text, int32_t length) {
    std::string out(static_cast<size_t>(length) * 3, '\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t len = 0;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &len, text, length, 0xFFFD,
                       nullptr, &err);
    if (U_FAILURE(err)) return {};
    out.resize(static_cast<size_t>(len));
    return out;
}

std::string UpperValid(std::string_view utf8) {
    std::u16string src;
    ToUtf16(utf8, src);
    std::u16string dest(src.size() + 16, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode err = U_ZERO_ERROR;
        int32_t len = u_strToUpper(dest.data(), static_cast<int32_t>(dest.size()), src.data(),
                                   static_cast<int32_t>(src.size()), "ja", &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            dest.resize(static_cast<size_t>(len));
            continue;
        }
        if (U_FAILURE(err)) break;
        return ToUtf8(dest.data(), len);
    }
    return std::string(utf8);
}

std::string Cut(std::string_view value) {
    size_t end = value.find_first_of(".@");
    return std::string(value.substr(0, end));
}

}  // namespace

std::string CollationLocale(const char* lcAll, const char* lcCollate, const char* lang) {
    for (const char* v : {lcAll, lcCollate, lang}) {
        if (!v || !*v) continue;
        std::string name = Cut(v);
        if (name == "C" || name == "POSIX") return {};
        return name;
    }
    return {};
}

Collator::Collator(const std::string& locale) {
    UErrorCode err = U_ZERO_ERROR;
    collator_ = ucol_open(locale.c_str(), &err);
    if (U_FAILURE(err)) {
        if (collator_) ucol_close(collator_);
        err = U_ZERO_ERROR;
        collator_ = ucol_open("", &err);
        if (U_FAILURE(err)) {
            if (collator_) ucol_close(collator_);
            collator_ = nullptr;
        }
    }
    if (collator_) ucol_setStrength(collator_, UCOL_SECONDARY);
}

Collator::~Collator() {
    if (collator_) ucol_close(collator_);
}

std::unique_ptr<Collator> Collator::Clone(bool primaryOnly) const {
    std::unique_ptr<Collator> copy(new Collator());
    if (collator_) {
        UErrorCode err = U_ZERO_ERROR;
#if U_ICU_VERSION_MAJOR_NUM >= 71
        copy->collator_ = ucol_clone(collator_, &err);
#else
        copy->collator_ = ucol_safeClone(collator_, nullptr, nullptr, &err);
#endif
        if (U_FAILURE(err)) {
            if (copy->collator_) ucol_close(copy->collator_);
            copy->collator_ = nullptr;
            return nullptr;
        }
        if (primaryOnly) ucol_setStrength(copy->collator_, UCOL_PRIMARY);
    }
    return copy;
}

int Collator::Compare(std::string_view a, std::string_view b) {
    if (!collator_) {
        const std::string ka = Key(a), kb = Key(b);
        return ka.compare(kb);
    }
    UErrorCode err = U_ZERO_ERROR;
    const UCollationResult r =
        ucol_strcollUTF8(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &err);
    if (U_FAILURE(err)) return Key(a).compare(Key(b));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

bool Collator::KeysJoinAfter(char separator) {
    // The fallback keys are the bytes themselves (letters folded): they always join.
    if (!collator_) return true;
    if (static_cast<unsigned char>(separator) >= 0x80) return false;
    // A weight that opens a compressed run would make the key of what follows depend
    // on it: then the key of two separators is not the separator's key twice.
    const std::string one(1, separator);
    if (Key(one + one) != Key(one) + Key(one)) return false;
    // No contraction or context rule holds the separator. The root collation has none
    // with ASCII punctuation; a locale's own rules are the tailored set.
    UErrorCode err = U_ZERO_ERROR;
    USet* tailored = ucol_getTailoredSet(collator_, &err);
    if (U_FAILURE(err) || tailored == nullptr) {
        if (tailored) uset_close(tailored);
        return false;
    }
    bool clean = true;
    const int32_t count = uset_getItemCount(tailored);
    std::u16string text(64, u'\0');
    for (int32_t i = 0; i < count && clean; ++i) {
        UChar32 start, end;
        err = U_ZERO_ERROR;
        int32_t length = uset_getItem(tailored, i, &start, &end, text.data(),
                                      static_cast<int32_t>(text.size()), &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(static_cast<size_t>(length));
            err = U_ZERO_ERROR;
            length = uset_getItem(tailored, i, &start, &end, text.data(), length, &err);
        }
        if (U_FAILURE(err)) clean = false;
        else if (length > 0)  // a string of several characters
            clean = text.substr(0, static_cast<size_t>(length)).find(static_cast<char16_t>(separator)) ==
                    std::u16string::npos;
    }
    uset_close(tailored);
    return clean;
}

size_t Collator::KeyInto(std::string_view utf8, unsigned char* buffer, size_t capacity) {
    if (!collator_) {
        // No collation data at all: ASCII letters folded, bytes otherwise.
        if (utf8.size() > capacity) return utf8.size();
        for (size_t i = 0; i < utf8.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(utf8[i]);
            buffer[i] = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
        }
        return utf8.size();
    }
    ToUtf16(utf8, text_);
    // ICU writes the key with a final NUL, which is left out of the key's length.
    const int32_t room = static_cast<int32_t>(std::min<size_t>(capacity, INT32_MAX));
    const int32_t n = ucol_getSortKey(collator_, text_.data(), static_cast<int32_t>(text_.size()),
                                      buffer, room);
    if (n <= 0) return 0;
    if (n <= room) return static_cast<size_t>(n) - 1;
    return static_cast<size_t>(n);
}

std::string Collator::Key(std::string_view utf8) {
    if (key_.size() < 64) key_.resize(64);
    for (;;) {
        size_t n = KeyInto(utf8, reinterpret_cast<unsigned char*>(key_.data()), key_.size());
        if (n <= key_.size()) return key_.substr(0, n);
        key_.resize(n);
    }
}

bool IsValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string UpperCaseUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return UpperValid(text);
    // Upper-case each run of valid text and keep every stray byte as it is.
    std::string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    int32_t i = 0, runStart = 0;
    while (i < length) {
        int32_t at = i;
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c >= 0) continue;
        out += UpperValid(text.substr(runStart, at - runStart));
        out.append(text.substr(at, i - at));
        runStart = i;
    }
    out += UpperValid(text.substr(runStart));
    return out;
}

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
    UConverter* conv = nullptr;
    for (const char* name : {"windows-932", "ibm-943_P15A-2003", "Shift_JIS"}) {
        UErrorCode err = U_ZERO_ERROR;
        conv = ucnv_open(name, &err);
        if (conv && U_SUCCESS(err)) break;
        if (conv) ucnv_close(conv);
        conv = nullptr;
    }
    if (!conv) return std::nullopt;
    std::u16string wide(bytes.size() + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t len = ucnv_toUChars(conv, wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                                static_cast<int32_t>(bytes.size()), &err);
    ucnv_close(conv);
    if (U_FAILURE(err)) return std::nullopt;
    return ToUtf8(wide.data(), len);
}

}  // namespace kirramo::posix
