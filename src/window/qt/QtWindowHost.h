// The settings window's host on Linux: starts Qt 6 Widgets, shows the window and keeps
// the program alive until it has closed. No toolkit header here, so the program's
// entry can include it.
#pragma once

#include <functional>

#include "window/WindowHost.h"

namespace kirramo {

class QtWindowHost : public WindowHost {
public:
    // displayReachable tells, when asked, whether the toolkit will find a display; the
    // backend knows how to find out without starting the toolkit (which ends the
    // process when it cannot connect).
    explicit QtWindowHost(std::function<bool()> displayReachable)
        : displayReachable_(std::move(displayReachable)) {}

    bool CanShowWindow() override { return displayReachable_ && displayReachable_(); }
    // Starts the toolkit, shows the window modeless near the pointer and runs the event
    // loop until the window has closed (by Get, Cancel or its close box).
    void ShowSettingsWindow(Session& session, Platform& platform) override;

private:
    std::function<bool()> displayReachable_;
};

// Starts the toolkit as the program's windows want it (the program's icon, their
// Japanese font), runs `body` and ends the toolkit again.
void WithToolkit(const std::function<void()>& body);

}  // namespace kirramo
