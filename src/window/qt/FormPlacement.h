// What the Qt views share in drawing a form: its texts as QString, its boxes in twips
// turned into pixels at the screen's resolution, and the screen under the pointer in
// the measures with which a form places its window.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <string>

class QScreen;

namespace kirramo {

inline QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A box in twips in pixels: 15 twips a pixel at 96 dpi, fewer at a higher resolution.
// Its edges are rounded, so that boxes that touch in twips touch in pixels.
QRect PixelRect(int left, int top, int width, int height, const QScreen* screen);
// A size in twips in pixels.
QSize PixelSize(int width, int height, const QScreen* screen);

// The screen under the pointer: where a form places its window.
struct PointerScreen {
    QScreen* screen = nullptr;  // none where the system names no screen
    QRect area;                 // the screen's part that windows may cover
    QPoint cursor;              // the pointer, from the area's top left corner
    double twipsPerPixelX = 15, twipsPerPixelY = 15;
    int widthTwips = 0, heightTwips = 0;

    // The screen point of a place on the area given in twips.
    QPoint Point(int leftTwips, int topTwips) const;
};
PointerScreen ScreenAtPointer();

}  // namespace kirramo
