// The message box, with Qt 6 Widgets (part of the Qt module).
//
// A direct run needs no window, so the toolkit is started only when a box is needed,
// and then in a child process: Qt starts threads of its own, and the program must stay
// on one thread so that the clipboard owner can still be forked from it afterwards.
// The child is forked only where the program's rule before a fork allows it.
// When the settings window already runs Qt in this process, the box is shown there.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QString>
#include <cerrno>
#include <cstdio>

#include "platform/posix/Desktop.h"
#include "platform/posix/DesktopProcess.h"
#include "window/qt/module/QtMessageBox.h"

namespace kirramo {

using posix::DetectDisplay;
using posix::DisplayKind;
using posix::WriteAll;
using posix::WriteToStandardError;

namespace {

// The default font of a bare X server may have no Japanese glyphs; a Japanese font
// behind it fills them in, with Japanese (not Chinese) glyph shapes.
void PreferJapaneseFallback(QApplication& app) {
    const QStringList available = QFontDatabase::families();
    for (const char* family : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "IPAexGothic",
                               "TakaoGothic", "VL Gothic"}) {
        if (available.contains(QString::fromLatin1(family))) {
            QFont font = app.font();
            QStringList families = font.families();
            if (families.isEmpty()) families << font.family();
            families << QString::fromLatin1(family);
            font.setFamilies(families);
            app.setFont(font);
            return;
        }
    }
}

void ExecBox(const std::string& text) {
    QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // The text's line breaks are CR LF; a label breaks lines on LF alone.
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Kirramo"));
    box.setIcon(QMessageBox::NoIcon);
    // Paths may hold "<" or "&": the text is shown as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(body);
    box.setStandardButtons(QMessageBox::Ok);
    // Some styles put an icon on the OK button; the box has no icon of any kind.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
    box.exec();
}

// Starts the toolkit for the box alone and ends it again.
void ExecBoxWithOwnToolkit(const std::string& text) {
    static int argc = 1;
    static char name[] = "kirramo";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    PreferJapaneseFallback(app);
    ExecBox(text);
}

// Shows the box in this process, starting the toolkit for it, and writes "1" to the
// pipe once the box was shown and closed; the toolkit ends the process when the
// display cannot be used.
[[noreturn]] void ChildShowsBox(const std::string& text, int doneFd) {
    if (doneFd <= 2) doneFd = fcntl(doneFd, F_DUPFD_CLOEXEC, 3);
    // The toolkit's own complaints (no display, missing plugins) would mix with the
    // program's output; the parent prints the message itself when the box fails.
    int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        dup2(devNull, 1);
        dup2(devNull, 2);
        if (devNull > 2) close(devNull);
    }
    ExecBoxWithOwnToolkit(text);
    WriteAll(doneFd, "1", 1);
    _exit(0);
}

}  // namespace

bool WaylandToolkitSupported() {
    // Without DISPLAY the toolkit has only its Wayland platform plugin, which is
    // packaged apart from the rest of it.
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

void ShowMessageBoxQt(const std::string& text, const std::function<bool()>& prepareToFork) {
    if (DetectDisplay() == DisplayKind::None) {
        WriteToStandardError(text);
        return;
    }
    if (QApplication::instance() != nullptr) {
        ExecBox(text);
        return;
    }
    if (!prepareToFork()) {
        // No child can be forked safely; the toolkit starts here instead.
        ExecBoxWithOwnToolkit(text);
        return;
    }
    // The child answers through a pipe rather than its exit status, which a process
    // that inherited an ignored SIGCHLD cannot collect.
    int done[2];
    if (pipe2(done, O_CLOEXEC) != 0) {
        WriteToStandardError(text);
        return;
    }
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        close(done[0]);
        close(done[1]);
        WriteToStandardError(text);
        return;
    }
    if (child == 0) {
        close(done[0]);
        ChildShowsBox(text, done[1]);
    }
    close(done[1]);
    char shown = 0;
    ssize_t n;
    do {
        n = read(done[0], &shown, 1);
    } while (n < 0 && errno == EINTR);
    close(done[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (n != 1 || shown != '1') WriteToStandardError(text);
}

}  // namespace kirramo
