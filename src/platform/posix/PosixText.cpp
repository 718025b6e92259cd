#include "platform/posix/PosixText.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

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

std::string Collator::Key(std::string_view utf8) {
    if (!collator_) {
        // No collation data at all: ASCII letters folded, bytes otherwise.
        std::string k(utf8);
        for (char& c : k)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return k;
    }
    ToUtf16(utf8, text_);
    if (key_.size() < 64) key_.resize(64);
    for (;;) {
        int32_t n = ucol_getSortKey(collator_, text_.data(), static_cast<int32_t>(text_.size()),
                                    reinterpret_cast<uint8_t*>(key_.data()),
                                    static_cast<int32_t>(key_.size()));
        if (n <= 0) return {};
        if (static_cast<size_t>(n) <= key_.size()) return key_.substr(0, n - 1);  // no final NUL
        key_.resize(static_cast<size_t>(n) * 2);
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

std::optional<std::string> DecodeSettingsBytes(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        return std::string(bytes);
    }
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
