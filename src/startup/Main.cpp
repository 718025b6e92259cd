#include "startup/Main.h"

#include "collect/CollectPaths.h"
#include "options/Settings.h"

namespace kirramo {

int Main(Session& session, Platform& platform) {
    session.SettingsLoaded = LoadSettings(session, platform);
    if (!session.SettingsLoaded) session.options = OptionSet::Designed();
    CollectPaths(session, platform);
    return 0;
}

}  // namespace kirramo
