// Conversions between the core's UTF-8, the wide calls' UTF-16 and the 8-bit code
// pages; reading the argument text; quoting arguments; the extended path form.
#include <gtest/gtest.h>

#include "win32/Win32Testing.h"

namespace kirramo::win32 {
namespace {

TEST(WideText, RoundTripsEveryUtf16TextAndRepairsBrokenUtf8) {
    const std::wstring samples[] = {L"", L"C:\\a b\\日本語.txt", L"한국어", L"\U0001F600 emoji", L"ｶﾀｶﾅ ＡＢＣ"};
    for (const std::wstring& s : samples) EXPECT_EQ(Widen(Narrow(s)), s);
    EXPECT_EQ(Narrow(L"日本"), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(Narrow(L"\U0001F600"), "\xF0\x9F\x98\x80");

    // A name with an unpaired surrogate (NTFS allows one) survives the trip.
    const std::wstring lone = std::wstring(L"a") + static_cast<wchar_t>(0xD800) + L"b" + static_cast<wchar_t>(0xDC01);
    EXPECT_EQ(Widen(Narrow(lone)), lone);

    // Bytes that form no character become U+FFFD each; what follows is kept.
    EXPECT_EQ(Widen("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(Widen("\xE6\x97"), L"\xFFFD\xFFFD");
    EXPECT_EQ(Widen("\xC0\xAF"), L"\xFFFD\xFFFD");  // overlong "/"
}

TEST(WideText, Cp932BytesBothWaysAndMissingCharactersAsQuestionMarks) {
    EXPECT_EQ(ToCodePage(L"日本語 ｱ", 932), "\x93\xFA\x96\x7B\x8C\xEA \xB1");
    EXPECT_EQ(FromCodePage("\x93\xFA\x96\x7B\x8C\xEA \xB1", 932), L"日本語 ｱ");
    // "ソ" has "\" as its second byte: decoded whole, not as a path separator.
    EXPECT_EQ(FromCodePage("\x83\x5C", 932), L"ソ");
    EXPECT_EQ(ToCodePage(L"a한b", 932), "a?b");
    EXPECT_EQ(ToCodePage(L"", 932), "");
}

TEST(ArgumentText, FollowsTheProgramNameAsWindowsReadsIt) {
    EXPECT_EQ(ArgumentTextOf(L"\"C:\\Program Files\\k\\kirramo.exe\" C:\\a.txt \"C:\\b c\""),
              L"C:\\a.txt \"C:\\b c\"");
    EXPECT_EQ(ArgumentTextOf(L"kirramo.exe C:\\a.txt C:\\b.txt"), L"C:\\a.txt C:\\b.txt");
    // Several blanks (spaces, tabs) after the name separate it; none reaches the paths.
    EXPECT_EQ(ArgumentTextOf(L"kirramo.exe \t  C:\\a.txt  C:\\b.txt "), L"C:\\a.txt  C:\\b.txt ");
    // Quotes anywhere in the name only toggle the blanks that it may hold.
    EXPECT_EQ(ArgumentTextOf(L"C:\\\"my tools\"\\kirramo.exe x"), L"x");
    EXPECT_EQ(ArgumentTextOf(L"\"C:\\k.exe\"C:\\a.txt"), L"");
    EXPECT_EQ(ArgumentTextOf(L"\"C:\\no end"), L"");
    EXPECT_EQ(ArgumentTextOf(L"kirramo.exe"), L"");
    EXPECT_EQ(ArgumentTextOf(L""), L"");
}

TEST(QuoteArgument, QuotesOnlyWhatNeedsItAndEscapesQuotesAndTheirBackslashes) {
    EXPECT_EQ(QuoteArgument(L"C:\\plain"), L"C:\\plain");
    EXPECT_EQ(QuoteArgument(L"C:\\"), L"C:\\");
    EXPECT_EQ(QuoteArgument(L"a&b %PATH% (x) ^!"), L"\"a&b %PATH% (x) ^!\"");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a b\\"), L"\"C:\\a b\\\\\"");
    EXPECT_EQ(QuoteArgument(L"say \"hi\\\""), L"\"say \\\"hi\\\\\\\"\"");
    EXPECT_EQ(JoinCommandLine({L"C:\\x y\\t.com", L"/F", L"C:\\d"}), L"\"C:\\x y\\t.com\" /F C:\\d");
}

TEST(ExtendedPath, LongAbsolutePathsOnlyAndBackToTheOrdinaryForm) {
    const std::wstring deep = L"C:\\" + std::wstring(300, L'x');
    EXPECT_EQ(ExtendedPath(L"C:\\short"), L"C:\\short");
    EXPECT_EQ(ExtendedPath(deep), L"\\\\?\\" + deep);
    EXPECT_EQ(ExtendedPath(L"C:/" + std::wstring(300, L'x')), L"\\\\?\\" + deep);  // made canonical
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(300, L'y');
    EXPECT_EQ(ExtendedPath(unc), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'y'));
    EXPECT_EQ(ExtendedPath(L"\\\\?\\" + deep), L"\\\\?\\" + deep);
    EXPECT_EQ(ExtendedPath(std::wstring(300, L'r')), std::wstring(300, L'r'));  // relative
    EXPECT_EQ(OrdinaryPath(ExtendedPath(deep)), deep);
    EXPECT_EQ(OrdinaryPath(ExtendedPath(unc)), unc);
    EXPECT_EQ(OrdinaryPath(L"C:\\a"), L"C:\\a");
}

}  // namespace
}  // namespace kirramo::win32
