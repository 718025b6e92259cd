// The Windows program's entry: a GUI program (no console) that Explorer's "Send To"
// starts with the selected paths on its command line.
#include "options/OptionSet.h"
#include "platform/win32/Win32Platform.h"
#include "startup/Main.h"
#include "window/WindowHost.h"
#include "window/win32/SettingsWindowWin32.h"
#include "window/win32/Win32RunDriver.h"

namespace {

// The settings window on Windows: plain Win32 controls on the user's desktop. Its Get
// runs the collection through the program's run driver, as the direct runs do.
class Win32WindowHost final : public kirramo::WindowHost {
public:
    explicit Win32WindowHost(kirramo::RunDriver& runs) : runs_(runs) {}

    // A window can be shown where the process's window station is the interactive
    // one; a program started from a service has none to show it on.
    bool CanShowWindow() override {
        USEROBJECTFLAGS flags{};
        HWINSTA station = GetProcessWindowStation();
        if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    }

    void ShowSettingsWindow(kirramo::Session& session, kirramo::Platform& platform) override {
        // A window that could not be made runs what it would have shown, saving nothing.
        if (!kirramo::win32::RunSettingsWindow(session, platform, &runs_))
            kirramo::RunWithWindowOptions(session, platform, &runs_);
    }

private:
    kirramo::RunDriver& runs_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kirramo::win32::Win32Platform platform;
    kirramo::Session session;
    // Every run collects on a thread of its own while this one serves the windows: after
    // half a second the progress window shows the run and 中止 stops it.
    kirramo::win32::Win32RunDriver runs;
    Win32WindowHost windows(runs);
    // Explorer does not look at a program's exit status; the program ends with 0 as it
    // always has, whatever the run's outcome (the user was told in a message box), also
    // when it was stopped.
    kirramo::Main(session, platform, windows, kirramo::LaunchRequest::Keys, &runs);
    return 0;
}
