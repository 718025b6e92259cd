// Build-time tool: writes the program's icon, as the settings window draws it, into
// the icon theme's folders: DIR/16x16/apps/kirramo.png, 32x32 and 48x48 likewise.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

#include "window/qt/SettingsWindow.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argc > 0 ? argv[0] : "kirramo_icons");
        return 2;
    }
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = kirramo::SettingsWindow::Icon();
    for (int size : {16, 32, 48}) {
        const QString folder = dir + QStringLiteral("/%1x%1/apps").arg(size);
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
        if (!QDir().mkpath(folder) || pixmap.size() != QSize(size, size) ||
            !pixmap.save(folder + QStringLiteral("/kirramo.png"), "PNG")) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, argv[1]);
            return 1;
        }
    }
    return 0;
}
