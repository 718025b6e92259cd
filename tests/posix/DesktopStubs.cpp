// Stand-ins for the desktop services and the tree renderer, so the backend tests link
// and run without a display. They are weak: where the real ones are linked in, those win.
#include <string>
#include <vector>

#include "platform/posix/Desktop.h"

namespace kirramo::posix {

__attribute__((weak)) DisplayKind DetectDisplay() { return DisplayKind::None; }
__attribute__((weak)) bool OfferClipboardX11(const std::string&) { return false; }
__attribute__((weak)) bool OfferClipboardWayland(const std::string&) { return false; }
__attribute__((weak)) void ShowMessageBox(const std::string&) {}
__attribute__((weak)) bool QueryKeyHeldX11(bool) { return false; }
__attribute__((weak)) std::vector<std::string> RenderTree(const std::string&, bool) { return {}; }

}  // namespace kirramo::posix
