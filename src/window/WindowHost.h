// How the entry reaches the settings window without knowing the toolkit that draws it.
#pragma once

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

// Shows the settings window. Each target has its own (Qt on Linux, Win32 on Windows);
// the entry only asks whether a window can be shown and hands the session over.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Whether this process can show a window at all: a desktop that can be reached.
    virtual bool CanShowWindow() = 0;
    // Shows the window without waiting for a command and returns once it has closed;
    // the window's own close decides what is saved.
    virtual void ShowSettingsWindow(Session& session, Platform& platform) = 0;
};

}  // namespace kirramo
