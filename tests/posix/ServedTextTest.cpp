// What the clipboard owners hand out for each form a reader asks for: every MIME type
// the Wayland owner offers gives the UTF-8 bytes, except STRING, which gives Latin-1
// only where that loses nothing; the pieces, put together, are the whole text.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/ServedText.h"

namespace kirramo::posix {
namespace {

TEST(ServedText, EveryOfferedTypeHasAFormAndOthersNone) {
    for (const char* mime : kOfferedMimeTypes)
        EXPECT_NE(FormOfMimeType(mime), TextForm::NotOffered) << mime;
    const struct {
        const char* mime;
        TextForm form;
    } cases[] = {
        {"text/plain;charset=utf-8", TextForm::Utf8}, {"UTF8_STRING", TextForm::Utf8},
        {"text/plain", TextForm::Utf8},               {"TEXT", TextForm::Utf8},
        {"STRING", TextForm::String},                 {"string", TextForm::NotOffered},
        {"text/html", TextForm::NotOffered},          {"text/plain;charset=UTF-16", TextForm::NotOffered},
        {"", TextForm::NotOffered},
    };
    for (const auto& c : cases) EXPECT_EQ(FormOfMimeType(c.mime), c.form) << c.mime;
}

TEST(ServedText, StringGivesLatin1OnlyWhereNothingIsLost) {
    const struct {
        const char* what;
        std::string utf8;
        std::string asString;  // what STRING gives
    } cases[] = {
        {"ASCII", "C:/a b.txt\r\n", "C:/a b.txt\r\n"},
        {"Latin-1 letters", "caf\xC3\xA9 \xC2\xB5", "caf\xE9 \xB5"},
        {"Japanese: the UTF-8 bytes", "/日本 語.txt", "/日本 語.txt"},
        {"Latin-1 beside Japanese: the UTF-8 bytes", "\xC3\xA9日", "\xC3\xA9日"},
        {"a cut sequence: the bytes as they are", "a\xC3", "a\xC3"},
        {"nothing", "", ""},
    };
    for (const auto& c : cases) {
        ServedText text(c.utf8);
        for (const TextForm form : {TextForm::Utf8, TextForm::String}) {
            const std::string& expected = form == TextForm::String ? c.asString : c.utf8;
            EXPECT_EQ(text.Size(form), expected.size()) << c.what;
            // Small pieces, put together again.
            std::string joined;
            size_t offset = 0;
            for (std::string_view piece; !(piece = text.Piece(form, offset, 3)).empty();) {
                EXPECT_LE(piece.size(), 3u) << c.what;
                joined += piece;
            }
            EXPECT_EQ(joined, expected) << c.what << (form == TextForm::String ? " as STRING" : " as UTF-8");
        }
    }
}

}  // namespace
}  // namespace kirramo::posix
