// The Qt module's side of the desktop services (see platform/posix/QtModule.h).
#pragma once

#include <string>

namespace kirramo::posix {

// A modal message box titled "Kirramo" with one OK button and no icon; the text goes
// to standard error when the box cannot be shown.
void ShowMessageBoxQt(const std::string& text);

// Whether the toolkit's Wayland support is installed.
bool WaylandToolkitSupported();

}  // namespace kirramo::posix
