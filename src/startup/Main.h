// The program's entry, shared by every target: the single-instance check, the held
// keys, the quick preset, the stored settings, and the choice between a direct run and
// the settings window.
#pragma once

#include "options/OptionSet.h"
#include "platform/Platform.h"
#include "window/WindowHost.h"

namespace kirramo {

// What the keys held at start ask for.
enum LaunchCode : int {
    kLaunchWindow = 0,    // Shift and Ctrl: the window, whatever the settings say
    kLaunchPreset = 1,    // Shift alone or Ctrl alone: the quick preset is in the options
    kLaunchSettings = 2,  // neither: the stored settings decide
};

// Reads Shift, then Ctrl, once each. With exactly one of them held, writes the quick
// preset into the options: the long names (Shift) or the long paths (Ctrl), nothing
// else. Touches nothing otherwise.
LaunchCode ReadLaunchKeys(Session& session, Platform& platform);

// The run that the window would start when there is no desktop to show it on: the
// controls as the window would load them, stored as its Get command stores them, then
// the collection. Nothing is saved.
void RunWithWindowOptions(Session& session, Platform& platform);

// Runs one start and returns the process exit status. A second instance ends at once,
// without touching anything.
int Main(Session& session, Platform& platform, WindowHost& windows);

}  // namespace kirramo
