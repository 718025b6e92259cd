// The Qt module: everything of the Linux program that needs Qt (the settings window,
// the progress window and the message box) lives in a module of its own, kirramo-qt.so, which the program
// loads only when it shows one of them (window/qt/host/QtModuleHost.h). A run that puts
// text on the clipboard and ends never loads the toolkit's libraries, whose loading
// alone costs more than such a run.
#pragma once

#include <functional>
#include <string>

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

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
    // Starts the toolkit and shows the progress window of a run in another process
    // (ServeProgressWindow in window/qt/RemoteProgressWindow.h); returns when the run
    // has ended.
    void (*showRemoteProgressWindow)(int stateFd, int answerFd);
};

inline constexpr int kQtModuleVersion = 3;
// The exported function: `const QtModuleApi* kirramo_qt_module()`.
inline constexpr const char* kQtModuleEntry = "kirramo_qt_module";
using QtModuleEntryFunction = const QtModuleApi* (*)();

}  // namespace kirramo
