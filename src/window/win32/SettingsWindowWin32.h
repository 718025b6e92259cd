// The Win32 view of the settings window: plain Win32 controls, no framework.
//
// Builds one fixed-size window from the controls of a SettingsForm, passes every user
// action to the form and then shows the form's states again. It keeps no state of its
// own: checks, selections, texts, captions and enabled states all come from the form.
// Check boxes and option buttons are the non-automatic kinds, so a click changes
// nothing until the form has decided.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// The core's headers come before <windows.h> (which ViewParts.h includes): its
// MessageBox macro would otherwise rename the Platform member of that name.
#include "options/OptionSet.h"
#include "platform/Platform.h"
#include "window/SettingsForm.h"
#include "window/win32/ViewParts.h"

namespace kirramo::win32 {

// The class of the settings window; its title is SettingsForm::kCaption.
inline constexpr wchar_t kSettingsWindowClass[] = L"KirramoSettingsWindow";

// The id of the named control in the window, or 0 for an unknown name.
inline int ControlIdOf(const SettingsForm& form, std::string_view name) { return ControlIdOf(form.Controls(), name); }

class SettingsWindowWin32 {
public:
    explicit SettingsWindowWin32(SettingsForm& form);
    ~SettingsWindowWin32();
    SettingsWindowWin32(const SettingsWindowWin32&) = delete;
    SettingsWindowWin32& operator=(const SettingsWindowWin32&) = delete;

    // Runs the form's loading for the pointer's monitor, creates the window where the
    // form places it, and shows it with the focus on the form's first control. False
    // when the window could not be created.
    bool LoadAndShow();
    // Handles messages until the window has closed; Enter and Esc work as the default
    // and cancel buttons. Returns the exit status that the quit message carries.
    int RunMessageLoop();

    HWND Handle() const { return hwnd_; }
    // The window of the named control, or nullptr.
    HWND ControlHandle(std::string_view name) const;
    // The dots per inch that the window is laid out for.
    UINT Dpi() const { return dpi_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    void CreateControls();
    void AddTooltips();
    void Place(UINT dpi);
    void Render();
    void OnCommand(int id, int code);
    void RunCommand(Command command);
    bool PreTranslate(const MSG& msg);
    // The control's font at the window's resolution; points > 0 overrides its size.
    HFONT FontFor(const Control& c, double points = 0);
    const Control* ControlById(int id) const;

    SettingsForm& form_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    UINT dpi_ = 96;
    std::vector<HWND> controls_;          // parallel to form_.Controls()
    std::map<std::pair<std::string, double>, HFONT> fonts_;  // (face, points) at dpi_
    std::wstring fontFace_;              // the face used for every Japanese font
    HWND focusBeforeDeactivate_ = nullptr;
    bool rendering_ = false;             // texts being set from the form, not typed
    bool busy_ = false;                  // a command is running
};

// The window road: loads the form, shows the window and handles its messages until it
// has closed; Get's collection goes through `runs` when given. False, with nothing
// changed but the form's loading, when the window could not be created.
bool RunSettingsWindow(Session& session, Platform& platform, RunDriver* runs = nullptr);

}  // namespace kirramo::win32
