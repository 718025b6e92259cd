#include "window/qt/FormPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kirramo {

namespace {

int Pixels(int twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

}  // namespace

QRect PixelRect(int left, int top, int width, int height, const QScreen* screen) {
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    const int x = Pixels(left, dpiX), y = Pixels(top, dpiY);
    return {x, y, Pixels(left + width, dpiX) - x, Pixels(top + height, dpiY) - y};
}

QSize PixelSize(int width, int height, const QScreen* screen) {
    return PixelRect(0, 0, width, height, screen).size();
}

QPoint PointerScreen::Point(int leftTwips, int topTwips) const {
    return {area.x() + static_cast<int>(std::lround(leftTwips / twipsPerPixelX)),
            area.y() + static_cast<int>(std::lround(topTwips / twipsPerPixelY))};
}

PointerScreen ScreenAtPointer() {
    PointerScreen s;
    const QPoint cursor = QCursor::pos();
    s.screen = QGuiApplication::screenAt(cursor);
    if (!s.screen) s.screen = QGuiApplication::primaryScreen();
    s.area = s.screen ? s.screen->availableGeometry() : QRect(0, 0, 1024, 768);
    s.cursor = cursor - s.area.topLeft();
    s.twipsPerPixelX = 1440.0 / (s.screen ? s.screen->logicalDotsPerInchX() : 96.0);
    s.twipsPerPixelY = 1440.0 / (s.screen ? s.screen->logicalDotsPerInchY() : 96.0);
    s.widthTwips = static_cast<int>(std::lround(s.area.width() * s.twipsPerPixelX));
    s.heightTwips = static_cast<int>(std::lround(s.area.height() * s.twipsPerPixelY));
    return s;
}

}  // namespace kirramo
