// The Qt module: everything of the Linux program that needs Qt (the settings window
// and the message box) lives in a module of its own, kirramo-qt.so, which the program
// loads only when it shows one of them. A run that puts text on the clipboard and ends
// never loads the toolkit's libraries, whose loading alone costs more than such a run.
#pragma once

#include <functional>
#include <string>

#include "options/OptionSet.h"
#include "platform/Platform.h"
#include "window/WindowHost.h"

namespace kirramo::posix {

// The module's entry points, handed out by its one exported function.
struct QtModuleApi {
    int version;
    // The message box, shown with a display (the caller has checked for one).
    // prepareToFork is the program's rule before a fork (it stops the program's helper
    // threads and answers whether fork is safe); asked before the box is shown in a
    // child process of its own.
    void (*showMessageBox)(const std::string& text, const std::function<bool()>& prepareToFork);
    // Whether the toolkit can show windows on a Wayland display (its Wayland support
    // is packaged apart from the rest of it).
    bool (*waylandSupported)();
    // Starts the toolkit, shows the settings window and returns once it has closed.
    void (*showSettingsWindow)(Session& session, Platform& platform);
};

inline constexpr int kQtModuleVersion = 2;
// The exported function: `const QtModuleApi* kirramo_qt_module()`.
inline constexpr const char* kQtModuleEntry = "kirramo_qt_module";
using QtModuleEntryFunction = const QtModuleApi* (*)();

// The module, loaded on first use (beside the program, or where it is installed), or
// nullptr when it cannot be loaded.
const QtModuleApi* LoadQtModule();

// A modal message box titled "Kirramo" with one OK button and no icon; on standard
// error as text when there is no display or no module. prepareToFork is the program's
// rule before a fork, asked before the box is shown in a child process.
void ShowMessageBox(const std::string& text, const std::function<bool()>& prepareToFork);

// Whether the toolkit can show a window on this session's display: an X server that
// answers, or a Wayland display with the toolkit's Wayland support installed. The
// toolkit itself ends the process when it cannot connect, so this is asked first.
bool ToolkitCanShowWindows();

// The settings window through the module. Without a module no window can be shown,
// and the entry then runs with the window's options at once, as without a display.
class QtModuleWindowHost : public WindowHost {
public:
    bool CanShowWindow() override;
    void ShowSettingsWindow(Session& session, Platform& platform) override;
};

}  // namespace kirramo::posix
