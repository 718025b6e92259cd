#include "window/qt/QtWindowHost.h"

#include <QApplication>

#include "window/SettingsForm.h"
#include "window/qt/QtRunDriver.h"
#include "window/qt/SettingsWindow.h"

namespace kirramo {

void WithToolkit(const std::function<void()>& body) {
    // The toolkit gets the program's name alone: the selected paths are no options of
    // its own, even where one begins with "-".
    static int argc = 1;
    static char name[] = "kirramo";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kirramo"));
    QApplication::setWindowIcon(SettingsWindow::Icon());
    // Message boxes that a run shows over a window use its Japanese font.
    QApplication::setFont(SettingsWindow::JapaneseFont(SettingsForm::kWindowFontFace, SettingsForm::kWindowFontSize));
    body();
}

void QtWindowHost::ShowSettingsWindow(Session& session, Platform& platform) {
    WithToolkit([&] {
        SettingsForm form(session, platform);
        SettingsWindow window(form);
        // Get's run keeps the windows served and shows its progress (its own window).
        QtRunDriver runs(&window);
        form.SetRunDriver(&runs);
        // The program ends when its one window has closed, whichever way.
        QApplication::setQuitOnLastWindowClosed(true);
        window.LoadAndShow();
        if (!form.IsClosed()) QApplication::exec();
    });
}

}  // namespace kirramo
