// The program's side of the Qt module (window/qt/module/QtModuleApi.h): finds and loads
// kirramo-qt.so when a window or a message box is first needed, and reaches the
// settings window and the message box through it. Compiled into the program, never
// into the module; no toolkit header here.
#pragma once

#include <functional>
#include <string>

#include "window/WindowHost.h"
#include "window/qt/module/QtModuleApi.h"

namespace kirramo {

// The module, loaded on first use (beside the program, or where it is installed), or
// nullptr when it cannot be loaded.
const QtModuleApi* LoadQtModule();

// A modal message box titled "Kirramo" with one OK button and no icon; on standard
// error as text when there is no display or no module. prepareToFork is the program's
// rule before a fork, asked before the box is shown in a child process.
void ShowMessageBoxWithQt(const std::string& text, const std::function<bool()>& prepareToFork);

// Whether the toolkit can show a window on this session's display: an X server that
// answers, or a Wayland display with the toolkit's Wayland support installed. The
// toolkit itself ends the process when it cannot connect, so this is asked first.
bool ToolkitCanShowWindows();

// The progress window of a direct run lives in a process of its own: the program
// started afresh with this as its name (argv[0]) and no argument, the run's progress on
// its standard input (ProgressRecord), its answer on standard output
// (window/qt/RemoteProgressWindow.h). Only the run sets argv[0]; a path given on the
// command line never arrives there.
inline constexpr const char* kProgressWindowArgument = "kirramo-progress-window";

// The body of such a start, called by main before anything else: shows the window
// where the toolkit can show one, and returns the exit status once the run has ended.
int RunProgressWindowStart();

// The settings window through the module. Where no window can be shown (no display,
// no module, no Wayland support in the toolkit) the entry runs with the window's
// options at once; on a display, a note on standard error says why.
class QtModuleWindowHost : public WindowHost {
public:
    bool CanShowWindow() override;
    void ShowSettingsWindow(Session& session, Platform& platform) override;
};

}  // namespace kirramo
