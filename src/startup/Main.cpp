#include "startup/Main.h"

#include "collect/CollectPaths.h"
#include "options/OptionTable.h"
#include "options/Settings.h"
#include "window/SettingsForm.h"

namespace kirramo {

namespace {

void ShowWindow(Session& session, Platform& platform, WindowHost& windows) {
    if (windows.CanShowWindow())
        windows.ShowSettingsWindow(session, platform);
    else
        RunWithWindowOptions(session, platform);
}

}  // namespace

LaunchCode ReadLaunchKeys(Session& session, Platform& platform) {
    const bool shift = platform.IsKeyHeld(Platform::Key::Shift);
    const bool control = platform.IsKeyHeld(Platform::Key::Control);
    if (shift && control) return kLaunchWindow;
    if (!shift && !control) return kLaunchSettings;
    // The preset's values are in the options table; on this road the settings file is
    // never read, so the options it keeps still hold their start-up values.
    WritePreset(shift ? QuickPreset::Shift : QuickPreset::Ctrl, session.options);
    return kLaunchPreset;
}

void RunWithWindowOptions(Session& session, Platform& platform) {
    SettingsForm form(session, platform);
    // Where the window would stand does not matter here; the options do.
    form.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
    form.StoreControls();
    CollectPaths(session.options, platform);
}

int Main(Session& session, Platform& platform, WindowHost& windows) {
    if (platform.AnotherInstanceRunning()) return 0;

    switch (ReadLaunchKeys(session, platform)) {
    case kLaunchPreset:
        // The preset values are not the user's settings: the file is neither read nor
        // written, and SettingsLoaded stays off.
        CollectPaths(session.options, platform);
        break;
    case kLaunchSettings:
        session.SettingsLoaded = LoadSettings(session, platform);
        if (session.SettingsLoaded && session.options.GMenu)
            CollectPaths(session.options, platform);
        else
            ShowWindow(session, platform, windows);
        break;
    case kLaunchWindow:
        session.SettingsLoaded = LoadSettings(session, platform);
        ShowWindow(session, platform, windows);
        break;
    }
    return 0;
}

}  // namespace kirramo
