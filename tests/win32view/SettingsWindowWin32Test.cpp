// The Win32 view of the settings window, in process under Wine (on the harness's
// display): its controls as the form describes them, tooltips, tab order, clicks and
// the Enter and Esc keys reaching the form.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fake/FakePlatform.h"
#include "platform/win32/WideText.h"
#include "window/SettingsForm.h"
#include "window/win32/SettingsWindowWin32.h"

#include <commctrl.h>

namespace kirramo::win32 {
namespace {

std::wstring Text(HWND h) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(h, buffer, 1024);
    return buffer;
}

std::wstring ClassOf(HWND h) {
    wchar_t buffer[64] = {};
    GetClassNameW(h, buffer, 64);
    std::wstring name = buffer;
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// The caption as shown: a caption broken into lines reads the same without the breaks.
std::wstring Unbroken(std::wstring text) {
    for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.erase(at, 2);
    return text;
}

HWND TooltipOf(HWND window) {
    struct Search {
        HWND owner, found;
    } search{window, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (ClassOf(h) == L"TOOLTIPS_CLASS32" && GetWindow(h, GW_OWNER) == s->owner) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class SettingsWindowWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        session.options = OptionSet::Designed();
        ASSERT_TRUE(window.LoadAndShow());
    }
    // The window gone and its quit message taken, so that the next test's loop does
    // not end on it.
    void TearDown() override {
        if (window.Handle()) DestroyWindow(window.Handle());
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    HWND Control(const char* name) { return window.ControlHandle(name); }

    FakePlatform platform;
    Session session;
    SettingsForm form{session, platform};
    SettingsWindowWin32 window{form};
};

TEST_F(SettingsWindowWin32Test, ControlsAreTheFormsWithTheirKindsAndCaptions) {
    HWND w = window.Handle();
    EXPECT_EQ(Text(w), L"Kirramo");
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    // The client area is the form's, in pixels at the window's resolution.
    RECT client{};
    GetClientRect(w, &client);
    const double dpi = window.Dpi();
    EXPECT_EQ(client.right, std::lround(SettingsForm::kClientWidth * dpi / 1440));
    EXPECT_EQ(client.bottom, std::lround(SettingsForm::kClientHeight * dpi / 1440));

    for (const kirramo::Control& c : form.Controls()) {
        SCOPED_TRACE(c.name);
        HWND h = Control(c.name.c_str());
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetDlgCtrlID(h), ControlIdOf(form, c.name));
        const LONG_PTR s = GetWindowLongPtrW(h, GWL_STYLE);
        switch (c.kind) {
        case ControlKind::CheckBox:
            // Not the automatic kind: the form decides the check.
            EXPECT_EQ(s & BS_TYPEMASK, BS_CHECKBOX);
            EXPECT_EQ(Unbroken(Text(h)), Widen(c.caption));
            break;
        case ControlKind::OptionButton:
            EXPECT_EQ(s & BS_TYPEMASK, BS_RADIOBUTTON);
            EXPECT_EQ(Text(h), Widen(c.caption));
            break;
        case ControlKind::Frame:
            EXPECT_EQ(s & BS_TYPEMASK, BS_GROUPBOX);
            EXPECT_EQ(Text(h), Widen(c.caption));
            break;
        case ControlKind::Button:
            EXPECT_EQ(s & BS_TYPEMASK, c.name == "CmdGet" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            EXPECT_EQ(Text(h), Widen(c.caption));
            break;
        case ControlKind::ComboBox:
            EXPECT_EQ(ClassOf(h), L"COMBOBOX");
            EXPECT_EQ(s & 3, CBS_DROPDOWN);
            EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.list.size()));
            EXPECT_EQ(Text(h), L"*.*");
            break;
        case ControlKind::TextBox:
            EXPECT_EQ(ClassOf(h), L"EDIT");
            break;
        case ControlKind::Label:
            EXPECT_EQ(ClassOf(h), L"STATIC");
            EXPECT_TRUE(s & SS_NOTIFY);
            EXPECT_EQ(Text(h), Widen(c.caption));
            break;
        }
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, form.IsUsable(c.name));
    }
    EXPECT_EQ(Text(Control("CmdGet")), L"取　得");
    EXPECT_EQ(GetDlgCtrlID(Control("CmdGet")), IDOK);
    EXPECT_EQ(GetDlgCtrlID(Control("CmdCancel")), IDCANCEL);
}

TEST_F(SettingsWindowWin32Test, TooltipsHoldTheExactTexts) {
    HWND tips = TooltipOf(window.Handle());
    ASSERT_NE(tips, nullptr);
    int withTip = 0;
    for (const kirramo::Control& c : form.Controls()) {
        if (c.tooltip.empty()) continue;
        ++withTip;
        SCOPED_TRACE(c.name);
        wchar_t text[512] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window.Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Control(c.name.c_str()));
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(text), Widen(c.tooltip));
    }
    EXPECT_EQ(withTip, 17);
    EXPECT_EQ(Widen(form.At("LblUnit").tooltip), L"クリックしてください。ファイルサイズ単位 なし/byte/KB/MB");
}

TEST_F(SettingsWindowWin32Test, TabOrderIsTheFormsAmongUsableControls) {
    // The two option buttons are one stop, as in any dialog: the arrow keys move
    // between them.
    std::vector<std::wstring> expected, actual;
    for (const std::string& name : form.TabOrder())
        if (form.IsUsable(name) && name != "OptShot") expected.push_back(Widen(name));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected.front(), Widen(form.InitialFocus()));
    HWND h = Control(form.InitialFocus().c_str());
    for (size_t i = 0; i < expected.size() && h; ++i) {
        for (const kirramo::Control& c : form.Controls())
            if (Control(c.name.c_str()) == h) actual.push_back(Widen(c.name));
        h = GetNextDlgTabItem(window.Handle(), h, FALSE);
    }
    EXPECT_EQ(actual, expected);
    // After the last stop the order starts again at the first.
    EXPECT_EQ(h, Control(form.InitialFocus().c_str()));
}

TEST_F(SettingsWindowWin32Test, ClicksReachTheFormAndItsStatesAreShown) {
    SendMessageW(Control("ChkTreeP"), BM_CLICK, 0, 0);
    SendMessageW(Control("ChkTreeF"), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.At("ChkTreeF").checked);
    EXPECT_FALSE(form.At("ChkTreeP").checked);
    EXPECT_EQ(SendMessageW(Control("ChkTreeF"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Control("ChkTreeP"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(Control("ChkName")));
    EXPECT_FALSE(IsWindowEnabled(Control("OptShot")));
    EXPECT_TRUE(IsWindowEnabled(Control("ChkUpper")));

    // A disabled control takes no click, whatever message arrives for it.
    SendMessageW(Control("ChkName"), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.At("ChkName").checked);

    SendMessageW(Control("ChkTreeF"), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(Control("ChkName")));
    SendMessageW(Control("OptShot"), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.At("OptShot").selected);
    EXPECT_EQ(SendMessageW(Control("OptLong"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Control("OptShot"), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SettingsWindowWin32Test, UnitLabelTakesClicksOnlyWhileItsFrameIsEnabled) {
    HWND unit = Control("LblUnit");
    auto click = [unit] {
        SendMessageW(unit, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(unit, WM_LBUTTONUP, 0, 0);
    };
    click();
    EXPECT_EQ(session.options.GUnit, 1);
    EXPECT_EQ(Text(unit), L"byte");
    SendMessageW(Control("ChkDir"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(unit));
    click();
    EXPECT_EQ(session.options.GUnit, 1);
    SendMessageW(Control("ChkDir"), BM_CLICK, 0, 0);
    click();
    EXPECT_EQ(Text(unit), L"KB");
}

TEST_F(SettingsWindowWin32Test, DoubleClickOnTheUnitLabelStepsOnce) {
    HWND unit = Control("LblUnit");
    // The messages of a double-click: the second press comes as WM_LBUTTONDBLCLK.
    SendMessageW(unit, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(unit, WM_LBUTTONUP, 0, 0);
    SendMessageW(unit, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    SendMessageW(unit, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(session.options.GUnit, 1);
    EXPECT_EQ(Text(unit), L"byte");
}

TEST_F(SettingsWindowWin32Test, EndOfTheSessionSavesAsClosingDoes) {
    SendMessageW(Control("LblUnit"), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(Control("LblUnit"), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    // A session that goes on after all saves nothing.
    SendMessageW(window.Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(platform.settingsWrites, 0);
    SendMessageW(window.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(platform.settingsWrites, 1);
    ASSERT_TRUE(platform.settingsText.has_value());
    EXPECT_NE(platform.settingsText->find("GUnit=1\r\n"), std::string::npos);
    EXPECT_FALSE(session.Cancelled);
    EXPECT_EQ(platform.clipboardSetAttempts, 0);
}

TEST_F(SettingsWindowWin32Test, TypedTextsReachTheForm) {
    HWND edit = FindWindowExW(Control("CboPattern"), nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageW(Control("ChkFolder"), BM_CLICK, 0, 0);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"*.ｊｐｇ")) SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(form.At("CboPattern").text, "*.ｊｐｇ");
    SendMessageW(Control("TxtPrefix"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L" 前 "));
    EXPECT_EQ(form.At("TxtPrefix").text, " 前 ");
}

TEST_F(SettingsWindowWin32Test, EscCancelsAndEndsTheLoop) {
    SendMessageW(Control("ChkTime"), BM_CLICK, 0, 0);
    PostMessageW(GetFocus() ? GetFocus() : Control("ChkName"), WM_KEYDOWN, VK_ESCAPE, 1);
    window.RunMessageLoop();
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_TRUE(session.Cancelled);
    EXPECT_EQ(platform.settingsWrites, 0);
    EXPECT_EQ(platform.clipboardSetAttempts, 0);
}

TEST_F(SettingsWindowWin32Test, EnterRunsGetAndSavesOnce) {
    platform.commandLine = "";
    SendMessageW(Control("ChkTime"), BM_CLICK, 0, 0);
    PostMessageW(Control("TxtPrefix"), WM_KEYDOWN, VK_RETURN, 1);
    window.RunMessageLoop();
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(session.Cancelled);
    EXPECT_TRUE(session.options.GTime);
    EXPECT_EQ(platform.settingsWrites, 1);
    ASSERT_TRUE(platform.settingsText.has_value());
    EXPECT_NE(platform.settingsText->find("GTime=True\r\n"), std::string::npos);
}

TEST_F(SettingsWindowWin32Test, EnterOnAnotherButtonPressesThatButton) {
    SetFocus(Control("CmdHelp"));
    ASSERT_EQ(GetFocus(), Control("CmdHelp"));
    PostMessageW(Control("CmdHelp"), WM_KEYDOWN, VK_RETURN, 1);
    // Then the close box: no run, the options saved as they are.
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    window.RunMessageLoop();
    EXPECT_EQ(platform.usageTextOpened, 1);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(platform.settingsWrites, 1);
    EXPECT_EQ(platform.clipboardSetAttempts, 0);
}

}  // namespace
}  // namespace kirramo::win32
