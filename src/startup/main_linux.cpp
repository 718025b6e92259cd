// The Linux program's entry.
#include <cstring>

#include "options/OptionSet.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/QtModule.h"
#include "startup/Main.h"

int main(int argc, char** argv) {
    // The program started again by itself to serve the clipboard: nothing else runs.
    if (argc == 2 && std::strcmp(argv[1], kirramo::posix::kClipboardOwnerArgument) == 0)
        return kirramo::posix::RunClipboardOwnerStart();

    kirramo::posix::PosixPlatform platform(argc, argv);
    kirramo::Session session;
    // The settings window comes from the Qt module, loaded only when it is shown.
    kirramo::posix::QtModuleWindowHost windows;
    return kirramo::Main(session, platform, windows);
}
