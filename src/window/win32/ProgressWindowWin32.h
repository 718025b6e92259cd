// The Win32 view of the progress window: plain Win32 controls, no framework.
//
// Builds one small window from the controls of a ProgressForm (its labels, its bar and
// its 中止 button), hands 中止, Esc and the close box to the form and shows the form
// again. It draws only when told (the driver draws when the form's Tick says so), and it
// takes no focus from the file manager: it appears without being activated, and only a
// click on it makes it the active window.
#pragma once

#include <string_view>
#include <vector>

// The core's headers come before <windows.h> (which ViewParts.h includes): its
// MessageBox macro would otherwise rename the Platform member of that name.
#include "window/ProgressForm.h"
#include "window/win32/ViewParts.h"

namespace kirramo::win32 {

// The class of the progress window; its title is ProgressForm::kCaption.
inline constexpr wchar_t kProgressWindowClass[] = L"KirramoProgressWindow";

// The id of the named control of a progress form in the window, or 0.
inline int ControlIdOf(const ProgressForm& form, std::string_view name) { return ControlIdOf(form.Controls(), name); }

class ProgressWindowWin32 {
public:
    explicit ProgressWindowWin32(ProgressForm& form);
    ~ProgressWindowWin32();
    ProgressWindowWin32(const ProgressWindowWin32&) = delete;
    ProgressWindowWin32& operator=(const ProgressWindowWin32&) = delete;

    // Shows the form as it is now. The first call places the window near the pointer
    // (the form's placement, on the pointer's monitor), creates it and shows it without
    // activating it. False when the window could not be created (it is not tried again).
    bool Draw();
    // Takes the window off the screen at once (the run has ended, or is given up).
    void Close();
    // Esc and Enter as a dialog takes them; true when the message was the window's.
    bool PreTranslate(MSG& msg);

    HWND Handle() const { return hwnd_; }
    // The window of the named control, or nullptr.
    HWND ControlHandle(std::string_view name) const;
    HWND BarHandle() const { return bar_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    bool Create();
    void Place(UINT dpi);
    void Render();

    ProgressForm& form_;
    HWND hwnd_ = nullptr;
    HWND bar_ = nullptr;
    std::vector<HWND> controls_;  // parallel to form_.Controls()
    HFONT font_ = nullptr;
    std::wstring fontFace_;
    UINT dpi_ = 96;
    bool failed_ = false;
};

}  // namespace kirramo::win32
