// The Qt module's one exported function: the table of its entry points.
#include "window/qt/QtWindowHost.h"
#include "window/qt/RemoteProgressWindow.h"
#include "window/qt/module/QtMessageBox.h"
#include "window/qt/module/QtModuleApi.h"

namespace kirramo {
namespace {

void ShowSettingsWindowQt(Session& session, Platform& platform) {
    // The program has asked whether a window can be shown before it came here.
    QtWindowHost host([] { return true; });
    host.ShowSettingsWindow(session, platform);
}

void ShowRemoteProgressWindowQt(int stateFd, int answerFd) {
    WithToolkit([&] { ServeProgressWindow(stateFd, answerFd); });
}

const QtModuleApi kApi{kQtModuleVersion, ShowMessageBoxQt, WaylandToolkitSupported,
                       ShowSettingsWindowQt, ShowRemoteProgressWindowQt};

}  // namespace
}  // namespace kirramo

extern "C" __attribute__((visibility("default"))) const kirramo::QtModuleApi* kirramo_qt_module() {
    return &kirramo::kApi;
}
