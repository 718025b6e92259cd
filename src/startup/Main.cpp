#include "startup/Main.h"

#include "collect/CollectPaths.h"
#include "options/OptionTable.h"
#include "options/Settings.h"
#include "window/SettingsForm.h"

namespace kirramo {

namespace {

int ShowWindow(Session& session, Platform& platform, WindowHost& windows, RunDriver* runs) {
    if (!windows.CanShowWindow()) return RunWithWindowOptions(session, platform, runs);
    windows.ShowSettingsWindow(session, platform);
    return 0;
}

}  // namespace

LaunchCode ReadLaunchKeys(Session& session, Platform& platform) {
    const bool shift = platform.IsKeyHeld(Platform::Key::Shift);
    const bool control = platform.IsKeyHeld(Platform::Key::Control);
    if (shift && control) return kLaunchWindow;
    if (!shift && !control) return kLaunchSettings;
    return ReadLaunch(shift ? LaunchRequest::Names : LaunchRequest::Paths, session, platform);
}

LaunchCode ReadLaunch(LaunchRequest request, Session& session, Platform& platform) {
    switch (request) {
    case LaunchRequest::Keys:
        break;
    case LaunchRequest::Names:
    case LaunchRequest::Paths:
        // The preset's values are in the options table; on this road the settings file
        // is never read, so the options it keeps still hold their start-up values.
        WritePreset(request == LaunchRequest::Names ? QuickPreset::Shift : QuickPreset::Ctrl, session.options);
        return kLaunchPreset;
    case LaunchRequest::Window:
        return kLaunchWindow;
    }
    return ReadLaunchKeys(session, platform);
}

RunOutcome RunWithWindowOptions(Session& session, Platform& platform, RunDriver* runs) {
    SettingsForm form(session, platform);
    // Where the window would stand does not matter here; the options do.
    form.Load(0, 0, 15, 15, 1024 * 15, 768 * 15);
    form.StoreControls();
    return RunCollectPaths(session.options, platform, runs);
}

int Main(Session& session, Platform& platform, WindowHost& windows, LaunchRequest request, RunDriver* runs) {
    if (platform.AnotherInstanceRunning()) return kExitAnotherInstance;

    switch (ReadLaunch(request, session, platform)) {
    case kLaunchPreset:
        // The preset values are not the user's settings: the file is neither read nor
        // written, and SettingsLoaded stays off.
        return RunCollectPaths(session.options, platform, runs);
    case kLaunchSettings:
        session.SettingsLoaded = LoadSettings(session, platform);
        if (session.SettingsLoaded && session.options.GMenu) return RunCollectPaths(session.options, platform, runs);
        return ShowWindow(session, platform, windows, runs);
    case kLaunchWindow:
        session.SettingsLoaded = LoadSettings(session, platform);
        return ShowWindow(session, platform, windows, runs);
    }
    return 0;
}

}  // namespace kirramo
