// Win32Platform beyond the file system: locale texts, sort keys, upper case, the
// settings file's bytes, processes, the tree command, the clipboard, single instance.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "options/Settings.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/WideText.h"
#include "win32/Win32Testing.h"

namespace kirramo::win32 {
namespace {

using testing::ChildMode;
using testing::ReadBytes;
using testing::SelfPath;
using testing::TempFolder;
using testing::WriteBytes;

bool JapaneseUser() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    return GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 && std::wstring(name) == L"ja-JP";
}

TEST(Win32Text, JapaneseLocaleSeparatorsAndDigitGroups) {
    if (!JapaneseUser()) GTEST_SKIP() << "the user's locale is not ja-JP";
    Win32Platform platform(L"C:\\");
    EXPECT_EQ(platform.DateSeparator(), "/");
    EXPECT_EQ(platform.TimeSeparator(), ":");
    EXPECT_EQ(platform.GroupDigits(0), "0");
    EXPECT_EQ(platform.GroupDigits(999), "999");
    EXPECT_EQ(platform.GroupDigits(1234567), "1,234,567");
    EXPECT_EQ(platform.GroupDigits(18446744073709551615ull), "18,446,744,073,709,551,615");
}

TEST(Win32Text, DigitsGroupByThreeWhateverGroupingTheLocaleNames) {
    wchar_t saved[16] = L"";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, saved, 16) == 0) GTEST_SKIP();
    if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, L"3;2;0")) GTEST_SKIP() << "grouping not settable";
    wchar_t now[16] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, now, 16);
    Win32Platform platform(L"C:\\");
    const std::string grouped = platform.GroupDigits(1234567);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, saved);
    if (std::wstring(now) != L"3;2;0") GTEST_SKIP() << "the grouping did not take";
    wchar_t separator[8] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    const std::string sep = Narrow(separator);
    EXPECT_EQ(grouped, "1" + sep + "234" + sep + "567");  // not "12,34,567"
}

TEST(Win32Text, GeneralDateOfTheJapaneseDefaultFormsWithTheDateAloneAtMidnight) {
    wchar_t shortDate[80] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate, 80);
    wchar_t longTime[80] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STIMEFORMAT, longTime, 80);
    if (std::wstring(shortDate) != L"yyyy/MM/dd" || std::wstring(longTime) != L"H:mm:ss")
        GTEST_SKIP() << "the user's date and time forms are not those of a Japanese Windows";
    Win32Platform platform(L"C:\\");
    EXPECT_EQ(platform.GeneralDateText(CivilTime{2007, 7, 16, 1, 10, 0}), "2007/07/16 1:10:00");
    EXPECT_EQ(platform.GeneralDateText(CivilTime{2007, 7, 16, 0, 0, 0}), "2007/07/16");
    EXPECT_EQ(platform.GeneralDateText(CivilTime{2007, 7, 16, 0, 0, 1}), "2007/07/16 0:00:01");
    EXPECT_EQ(platform.GeneralDateText(CivilTime{2024, 2, 29, 23, 59, 59}), "2024/02/29 23:59:59");
}

TEST(Win32Text, UtcToLocalFollowsTheMachinesZoneAndRefusesNoTime) {
    Win32Platform platform(L"C:\\");
    EXPECT_FALSE(platform.UtcToLocal(kNoTime));
    SYSTEMTIME utc{2007, 7, 0, 15, 16, 10, 0, 0}, expected;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    const FileTicks t = static_cast<FileTicks>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    std::optional<CivilTime> local = platform.UtcToLocal(t);
    ASSERT_TRUE(local);
    TIME_ZONE_INFORMATION tz;
    GetTimeZoneInformationForYear(2007, nullptr, &tz);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&tz, &utc, &expected));
    EXPECT_EQ(local->year, expected.wYear);
    EXPECT_EQ(local->day, expected.wDay);
    EXPECT_EQ(local->hour, expected.wHour);
    EXPECT_EQ(local->minute, 10);
}

TEST(Win32Text, SortKeysOrderWithoutRegardToCase) {
    Win32Platform platform(L"C:\\");
    const std::vector<std::string> lines = {"b", "A", "a", "B", "", "file10", "file2", "Zebra", "日本", "C:\\x"};
    std::vector<std::string> keys = platform.SortKeys(lines);
    ASSERT_EQ(keys.size(), lines.size());
    auto key = [&](const char* line) { return keys[std::find(lines.begin(), lines.end(), line) - lines.begin()]; };
    EXPECT_EQ(key("a"), key("A"));
    EXPECT_EQ(key("b"), key("B"));
    EXPECT_LT(key(""), key("a"));    // the empty placeholder first
    EXPECT_LT(key("a"), key("B"));   // not the code order, where "B" comes first
    EXPECT_LT(key("B"), key("Zebra"));
    EXPECT_LT(key("file10"), key("file2"));  // text order, not numeric
    EXPECT_LT(key("Zebra"), key("日本"));
}

TEST(Win32Text, UpperCaseOfLatinFullWidthAndOtherScripts) {
    Win32Platform platform(L"C:\\");
    EXPECT_EQ(platform.UpperCase("c:\\my docs\\a.txt 1,234kb"), "C:\\MY DOCS\\A.TXT 1,234KB");
    EXPECT_EQ(platform.UpperCase("äöü éà ａｂｃ"), "ÄÖÜ ÉÀ ＡＢＣ");
    EXPECT_EQ(platform.UpperCase("日本語 한국어 \xF0\x9F\x98\x80"), "日本語 한국어 \xF0\x9F\x98\x80");
    EXPECT_EQ(platform.UpperCase(""), "");
    const std::string big(3 << 20, 'x');
    EXPECT_EQ(platform.UpperCase(big), std::string(3 << 20, 'X'));
}

TEST(Win32Settings, WrittenBesideTheProgramAndConvertedInTheAnsiCodePage) {
    if (GetACP() != 932) GTEST_SKIP() << "the ANSI code page is not 932";
    TempFolder temp;
    Win32Platform platform(temp.Path());
    EXPECT_EQ(platform.SettingsPath(), temp.Path() + L"\\Tolvane.ini");
    EXPECT_EQ(platform.SettingsLocation(), Narrow(temp.Path() + L"\\Tolvane.ini"));
    EXPECT_FALSE(platform.ReadSettingsBytes());  // no file yet

    // The plain form is cp932, for a text that it holds whole; "ソ" ends in the byte of "\".
    EXPECT_EQ(platform.PlainSettingsBytes("GLong=True\r\nGPrefix=日本語ソ\r\n"),
              "GLong=True\r\nGPrefix=\x93\xFA\x96\x7B\x8C\xEA\x83\x5C\r\n");
    for (const char* lost : {"GSuffix=한\r\n", "GSuffix=\xF0\x9F\x98\x80\r\n", "GSuffix=ä\r\n"})
        EXPECT_FALSE(platform.PlainSettingsBytes(lost)) << lost;
    // Lines written by another program in cp932 read as their characters.
    EXPECT_EQ(platform.AnsiLineText("GPrefix=\x83\x65\x83\x58\x83\x67"), "GPrefix=テスト");
    EXPECT_EQ(platform.AnsiLineText("GPrefix=\x93\xFA\x96\x7B\x8C\xEA\x83\x5C"), "GPrefix=日本語ソ");

    // The bytes are written and read as they are.
    const std::string bytes = "\xEF\xBB\xBFGLong=True\r\nGPrefix=\x93\xFA\r\n";
    ASSERT_TRUE(platform.WriteSettingsBytes(bytes));
    EXPECT_EQ(ReadBytes(temp.Path() + L"\\Tolvane.ini"), bytes);
    EXPECT_EQ(platform.ReadSettingsBytes(), bytes);

    // A second write replaces the first whole, and nothing but the file is left.
    ASSERT_TRUE(platform.WriteSettingsBytes("GUnit=2\r\n"));
    EXPECT_EQ(ReadBytes(temp.Path() + L"\\Tolvane.ini"), "GUnit=2\r\n");
    EXPECT_EQ(testing::NamesIn(temp.Path()), std::vector<std::wstring>{L"Tolvane.ini"});
}

// The settings text's reading and save form (options/Settings) over the Windows file.
TEST(Win32Settings, EditorsUtf8FilesReadWholeAndNoCharacterLostOnSaving) {
    if (GetACP() != 932) GTEST_SKIP() << "the ANSI code page is not 932";
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring file = temp.Path() + L"\\Tolvane.ini";
    for (const std::string bytes : {
             "\xEF\xBB\xBFGLong=True\r\nGPrefix=「日本」\r\n",  // Notepad's UTF-8, with the mark
             "GLong=True\r\nGPrefix=「日本」\r\n",              // and without it
             "GLong=True\r\nGPrefix=\x81\x75\x93\xFA\x96\x7B\x81\x76\r\n",  // cp932
         }) {
        SCOPED_TRACE(bytes);
        ASSERT_TRUE(WriteBytes(file, bytes));
        Session session;
        ASSERT_TRUE(LoadSettings(session, platform));
        EXPECT_TRUE(session.options.GLong);
        EXPECT_EQ(session.options.GPrefix, "「日本」");
    }

    // Saved in cp932 while it holds every text, else in UTF-8 behind the mark.
    Session session;
    session.options = OptionSet::Designed();
    session.options.GFPatternSet = "*.*";
    session.options.GPrefix = "「日本」";
    SaveSettings(session, platform);
    const std::string cp932 = ReadBytes(file);
    EXPECT_NE(cp932.find("\r\nGPrefix=\x81\x75\x93\xFA\x96\x7B\x81\x76\r\n"), std::string::npos);
    EXPECT_EQ(cp932.size(), SettingsText(session.options).size() - 4);
    session.options.GPrefix = "😀한前";
    SaveSettings(session, platform);
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF" + SettingsText(session.options));
    Session back;
    ASSERT_TRUE(LoadSettings(back, platform));
    EXPECT_EQ(back.options, session.options);
}

TEST(Win32Settings, AFailedWriteLeavesNoTraceAndReportsFalse) {
    TempFolder temp;
    // A folder where the file should be: the new file cannot take its place.
    ASSERT_TRUE(testing::MakeFolder(temp.Path() + L"\\Tolvane.ini"));
    Win32Platform platform(temp.Path());
    EXPECT_FALSE(platform.WriteSettingsBytes("GLong=True\r\n"));
    EXPECT_EQ(testing::NamesIn(temp.Path()), std::vector<std::wstring>{L"Tolvane.ini"});
    EXPECT_FALSE(platform.ReadSettingsBytes());

    Win32Platform nowhere(temp.Path() + L"\\missing folder");
    EXPECT_FALSE(nowhere.WriteSettingsBytes("GLong=True\r\n"));
}

TEST(Win32Process, ArgumentsArriveWholeAndTheArgumentTextIsWhatFollowsTheName) {
    TempFolder temp;
    Win32Platform platform(temp.Path());
    const std::wstring out = temp.Path() + L"\\args.txt";
    ChildMode mode(L"args:" + out);
    const std::vector<std::string> args = {"C:\\a b\\日本.txt", "a&b %PATH% (x) ^!", "ends\\", "q\"uote", ""};
    std::vector<std::wstring> arguments;
    for (const std::string& a : args) arguments.push_back(Widen(a));
    // The road of the usage text: the program is started and not waited for, so the
    // test waits for the child's file (it appears whole) itself.
    ASSERT_TRUE(StartDetached(SelfPath(), arguments));
    std::string written = ReadBytes(out);
    for (int waited = 0; written == "<missing>" && waited < 60000; waited += 20) {
        Sleep(20);
        written = ReadBytes(out);
    }
    EXPECT_EQ(written,
              "\"C:\\a b\\日本.txt\" \"a&b %PATH% (x) ^!\" ends\\ \"q\\\"uote\" \"\"\n"
              "C:\\a b\\日本.txt\na&b %PATH% (x) ^!\nends\\\nq\"uote\n\n");
}

TEST(Win32Process, TreeListingHandsTheFolderOverAsOneArgumentAndReadsTheOemText) {
    TempFolder temp;
    const std::wstring folder = temp.Path() + L"\\a&b %PATH% (x) ^!";
    ASSERT_TRUE(testing::MakeFolder(folder));
    const size_t before = testing::NamesIn(testing::TempRoot()).size();

    ChildMode mode(L"tree");
    std::optional<std::vector<std::string>> lines = TreeListing(SelfPath(), folder, true);
    ASSERT_TRUE(lines);
    const std::vector<std::string> expected = {"フォルダー パスの一覧", "ボリューム シリアル番号は 0000-0000 です", "[/F]",
                                               "[" + Narrow(folder) + "]", "└─日本語"};
    EXPECT_EQ(*lines, expected);
    lines = TreeListing(SelfPath(), folder, false);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 4u);
    EXPECT_EQ((*lines)[2], "[" + Narrow(folder) + "]");

    // Nothing is left in the temporary folder.
    EXPECT_EQ(testing::NamesIn(testing::TempRoot()).size(), before);
    EXPECT_FALSE(TreeListing(temp.Path() + L"\\no tree.com", folder, false));
}

TEST(Win32Process, LinesSplitAtCrLfAndAtALoneLf) {
    EXPECT_EQ(SplitLines(L"a\r\nb\r\n"), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(SplitLines(L"a\r\n\r\nb"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitLines(L"a\nb\rc"), (std::vector<std::wstring>{L"a", L"b\rc"}));
    EXPECT_EQ(SplitLines(L""), std::vector<std::wstring>{});
}

std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) return "<busy>";
    if (HANDLE h = GetClipboardData(format)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            bytes.assign(p, GlobalSize(h));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return bytes;
}

TEST(Win32Clipboard, UnicodeAndAnsiTextAndFalseWhileAnotherHoldsIt) {
    Win32Platform platform(L"C:\\");
    ASSERT_TRUE(platform.EmptyClipboard());
    ASSERT_TRUE(platform.SetClipboardText("C:\\日本\\a.txt\r\n한 \xF0\x9F\x98\x80\r\n"));
    const std::wstring wide = L"C:\\日本\\a.txt\r\n한 \U0001F600\r\n";
    std::string unicode = ClipboardBytes(CF_UNICODETEXT);
    ASSERT_GE(unicode.size(), (wide.size() + 1) * 2);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(unicode.data())), wide);
    std::string ansi = ClipboardBytes(CF_TEXT);
    if (GetACP() == 932) {
        // The emoji becomes one "?" or two (one per UTF-16 unit), as the system decides.
        EXPECT_TRUE(std::string(ansi.c_str()).starts_with("C:\\\x93\xFA\x96\x7B\\a.txt\r\n? ?")) << ansi;
    }

    // Another window (here of another thread) holds the clipboard open: false, no wait.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        bool ok = OpenClipboard(window);
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        if (ok) CloseClipboard();
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, INFINITE);
    EXPECT_FALSE(platform.SetClipboardText("x"));
    EXPECT_FALSE(platform.EmptyClipboard());
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_TRUE(platform.SetClipboardText(""));
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT).substr(0, 2), std::string(2, '\0'));
}

TEST(Win32Startup, OneInstanceHoldsTheLockAndKeysAreNotHeld) {
    Win32Platform first(L"C:\\"), second(L"C:\\");
    EXPECT_FALSE(first.AnotherInstanceRunning());
    EXPECT_FALSE(first.AnotherInstanceRunning());  // asking again does not find itself
    EXPECT_TRUE(second.AnotherInstanceRunning());
    EXPECT_FALSE(first.IsKeyHeld(Platform::Key::Shift));
    EXPECT_FALSE(first.IsKeyHeld(Platform::Key::Control));
    EXPECT_TRUE(first.CommandLineText().has_value());
    EXPECT_TRUE(first.ArgumentList().empty());
}

}  // namespace
}  // namespace kirramo::win32
