// The Qt module's side of the desktop services (see platform/posix/QtModule.h).
#pragma once

#include <functional>
#include <string>

namespace kirramo::posix {

// A modal message box titled "Kirramo" with one OK button and no icon; the text goes
// to standard error when the box cannot be shown. Without a toolkit running in this
// process, the box is shown in a child process when prepareToFork allows a fork.
void ShowMessageBoxQt(const std::string& text, const std::function<bool()>& prepareToFork);

// Whether the toolkit's Wayland support is installed.
bool WaylandToolkitSupported();

}  // namespace kirramo::posix
