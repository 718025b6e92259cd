// Stand-ins for the desktop services and the tree renderer, so the backend tests link
// while those are not part of the backend yet. They are weak, and the test program links
// every object of the backend, so wherever the real ones exist, those are used.
#include <string>
#include <vector>

#include "platform/posix/Desktop.h"

namespace kirramo::posix {

__attribute__((weak)) DisplayKind DetectDisplay() { return DisplayKind::None; }
__attribute__((weak)) bool OfferClipboardX11(const std::string&) { return false; }
__attribute__((weak)) bool OfferClipboardWayland(const std::string&) { return false; }
__attribute__((weak)) void ShowMessageBox(const std::string&) {}
__attribute__((weak)) bool QueryKeyHeldX11(bool) { return false; }

}  // namespace kirramo::posix
