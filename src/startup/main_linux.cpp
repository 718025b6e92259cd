// The Linux program's entry. The process-wide settings of the program are made here,
// in sight, and handed to the backend: nothing the backend does on its own changes the
// process as a whole.
#include <cstring>

#include "options/OptionSet.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "platform/posix/HeapPages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "startup/LinuxRunDriver.h"
#include "startup/Main.h"
#include "window/qt/host/QtModuleHost.h"

int main(int argc, char** argv) {
    namespace posix = kirramo::posix;

    // Standard input, output and error that the caller closed are opened on /dev/null
    // before anything else, so that no file opened later (the single-instance lock)
    // takes their number and receives the text meant for standard output.
    posix::OpenClosedStandardDescriptors();

    // The program started afresh by itself to serve the clipboard: its name says so, and
    // nothing else runs. A path on the command line cannot be taken for it.
    if (argc == 1 && posix::IsClipboardOwnerStart(argv[0])) return posix::RunClipboardOwnerStart(argv[0]);
    // Likewise the progress window of a direct run, started by the run after half a
    // second (the run's own process never loads the toolkit).
    if (argc == 1 && std::strcmp(argv[0], kirramo::kProgressWindowArgument) == 0)
        return kirramo::RunProgressWindowStart();

    // The options come out of the command line before the paths are made absolute:
    // --help, --version and a wrong option are answered here, and nothing else runs.
    posix::CommandLine line = posix::ReadCommandLine(posix::ArgumentsAfterName(argc, argv));
    if (line.answer != posix::CommandLine::Answer::None) return posix::AnswerCommandLine(line, KIRRAMO_VERSION);

    // A second thread shares the size and time look-ups of a listing's entries (the size
    // and time columns of benchmark scenario P2). It starts with the first large listing
    // and is stopped by PrepareToFork before the program forks (the message box's
    // process).
    posix::LookupTeam lookups;

    posix::PosixWiring wiring;
    wiring.lookups = &lookups;
    // The heap in large pages, for the big listings of benchmark scenarios P1, P2, P4
    // and P6; taken only once a folder is listed, so a run that lists nothing (scenario
    // P5: two files to the clipboard) never pays for them.
    wiring.beforeFirstListing = posix::UseLargePagesForTheHeap;
    // The message box comes from the Qt module, loaded only when a box is shown.
    wiring.messageBox = [&lookups](const std::string& text) {
        kirramo::ShowMessageBoxWithQt(text, [&lookups] { return posix::PrepareToFork(&lookups); });
    };

    posix::PosixPlatform platform(std::move(line.paths), std::move(wiring));
    kirramo::Session session;
    // The settings window comes from the Qt module too, loaded only when it is shown.
    kirramo::QtModuleWindowHost windows;
    // The runs without the settings window: a collection thread, the progress window
    // (a process of its own) where there is a display, the progress line on a terminal,
    // and SIGINT and SIGTERM as 中止.
    posix::DirectRunDriver runs;
    return kirramo::Main(session, platform, windows, line.launch, &runs);
}
