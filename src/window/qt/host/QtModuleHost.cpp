#include "window/qt/host/QtModuleHost.h"

#include <dlfcn.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"

#ifndef KIRRAMO_QT_MODULE_DIR
#define KIRRAMO_QT_MODULE_DIR "../lib/kirramo"
#endif

namespace kirramo {

using posix::DetectDisplay;
using posix::DisplayKind;

namespace {

constexpr const char* kModuleName = "kirramo-qt.so";

const QtModuleApi* OpenModule(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    auto entry = reinterpret_cast<QtModuleEntryFunction>(dlsym(handle, kQtModuleEntry));
    const QtModuleApi* api = entry ? entry() : nullptr;
    if (api && api->version == kQtModuleVersion) return api;
    dlclose(handle);
    return nullptr;
}

}  // namespace

const QtModuleApi* LoadQtModule() {
    // Loaded once for the process: the toolkit, once started, stays.
    static const QtModuleApi* const api = []() -> const QtModuleApi* {
        const std::string program = posix::ProgramPath();
        const size_t slash = program.rfind('/');
        if (slash == std::string::npos) return nullptr;
        const std::string folder = program.substr(0, slash + 1);
        // Beside the program (the build folder), then where it is installed (the
        // module folder relative to the program's).
        for (const std::string& path : {folder + kModuleName,
                                        folder + KIRRAMO_QT_MODULE_DIR + "/" + kModuleName}) {
            if (const QtModuleApi* found = OpenModule(path)) return found;
        }
        return nullptr;
    }();
    return api;
}

void ShowMessageBoxWithQt(const std::string& text, const std::function<bool()>& prepareToFork) {
    if (DetectDisplay() != DisplayKind::None) {
        if (const QtModuleApi* qt = LoadQtModule()) {
            qt->showMessageBox(text, prepareToFork);
            return;
        }
    }
    posix::WriteToStandardError(text);
}

namespace {

// Why the toolkit cannot show a window on the display that the session names, in the
// user's words; empty when it can.
std::string WhyNoWindow(DisplayKind display) {
    switch (display) {
    case DisplayKind::X11:
        if (!posix::X11DisplayReachable()) {
            const char* name = std::getenv("DISPLAY");
            return std::string("ディスプレイ「") + (name ? name : "") + "」に接続できません。";
        }
        break;
    case DisplayKind::Wayland:
        break;
    case DisplayKind::None:
        return "ディスプレイがありません。";
    }
    const QtModuleApi* qt = LoadQtModule();
    if (!qt) return std::string("Qt のモジュール ") + kModuleName + " を読み込めません。";
    // Without DISPLAY the toolkit has only its Wayland support, packaged apart.
    if (display == DisplayKind::Wayland && !qt->waylandSupported())
        return "Qt の Wayland 対応（qt6-wayland パッケージ）がありません。";
    return {};
}

}  // namespace

bool ToolkitCanShowWindows() { return WhyNoWindow(DetectDisplay()).empty(); }

int RunProgressWindowStart() {
    // Without a window the run goes on as without a display: nothing to answer.
    if (ToolkitCanShowWindows()) LoadQtModule()->showRemoteProgressWindow(0, 1);
    return 0;
}

bool QtModuleWindowHost::CanShowWindow() {
    const DisplayKind display = DetectDisplay();
    const std::string why = WhyNoWindow(display);
    // Without any display the window's run is the ordinary road (a terminal, a script);
    // on a desktop the user expected the window, and is told why it did not come.
    if (!why.empty() && display != DisplayKind::None)
        posix::WriteToStandardError(why + "設定ウィンドウを開けないため、今の設定のまま実行します。");
    return why.empty();
}

void QtModuleWindowHost::ShowSettingsWindow(Session& session, Platform& platform) {
    if (const QtModuleApi* qt = LoadQtModule()) qt->showSettingsWindow(session, platform);
}

}  // namespace kirramo
