// The Qt module's message box and what it tells about the toolkit (see QtModuleApi.h).
#pragma once

#include <functional>
#include <string>

namespace kirramo {

// A modal message box titled "Kirramo" with one OK button and no icon; the text goes
// to standard error when the box cannot be shown. Without a toolkit running in this
// process, the box is shown in a child process when prepareToFork allows a fork.
void ShowMessageBoxQt(const std::string& text, const std::function<bool()>& prepareToFork);

// Whether the toolkit's Wayland support is installed.
bool WaylandToolkitSupported();

}  // namespace kirramo
