// The program's entry, shared by every target: the single-instance check, the held
// keys, the quick preset, the stored settings, and the choice between a direct run and
// the settings window.
#pragma once

#include "collect/CollectPaths.h"
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
// the collection (through the driver, when one is given). Nothing is saved, also when
// the run is cancelled.
RunOutcome RunWithWindowOptions(Session& session, Platform& platform, RunDriver* runs = nullptr);

// The exit status of a start that ended at once because another instance runs. The
// other statuses are a run's outcome (RunOutcome): 0 the text is in its place, 1 a
// selected path does not exist, 2 the text could not be placed, 5 the run was
// cancelled; and the Linux program's 4 for a command line it does not understand
// (posix::kExitWrongOption).
inline constexpr int kExitAnotherInstance = 3;

// The launch that the command line asked for: Names and Paths write the quick preset
// of Shift or of Ctrl into the options, Window asks for the window; Keys reads the held
// keys (ReadLaunchKeys). A request given wins over the keys, which are then not read.
LaunchCode ReadLaunch(LaunchRequest request, Session& session, Platform& platform);

// Runs one start and returns the process exit status: a run's outcome, 0 when the
// settings window was shown (it tells the user itself how its run went), or
// kExitAnotherInstance: a second instance ends at once, without touching anything.
// The request is what the Linux program's options asked for; the Windows program has
// none and leaves it to the keys. The runs without a window go through `runs` when
// given: a run there can be cancelled, and then nothing is placed and nothing saved, as
// on that road without a run.
int Main(Session& session, Platform& platform, WindowHost& windows,
         LaunchRequest request = LaunchRequest::Keys, RunDriver* runs = nullptr);

}  // namespace kirramo
