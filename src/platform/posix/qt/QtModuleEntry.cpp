// The Qt module's one exported function: the table of its entry points.
#include "platform/posix/QtModule.h"
#include "platform/posix/qt/QtDesktop.h"
#include "window/qt/QtWindowHost.h"

namespace kirramo::posix {
namespace {

void ShowSettingsWindowQt(Session& session, Platform& platform) {
    // The program has asked whether a window can be shown before it came here.
    QtWindowHost host([] { return true; });
    host.ShowSettingsWindow(session, platform);
}

const QtModuleApi kApi{kQtModuleVersion, ShowMessageBoxQt, WaylandToolkitSupported,
                       ShowSettingsWindowQt};

}  // namespace
}  // namespace kirramo::posix

extern "C" __attribute__((visibility("default"))) const kirramo::posix::QtModuleApi*
kirramo_qt_module() {
    return &kirramo::posix::kApi;
}
