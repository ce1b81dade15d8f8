#include "Icon.h"

#include <QPainter>

namespace vellum::ui {

QPixmap programIconPixmap(int size) {
    // Drawn on a 16-unit grid and scaled, so both sizes keep whole pixels.
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.scale(size / 16.0, size / 16.0);

    // The calculator's body and its LCD.
    p.fillRect(QRect(2, 0, 12, 16), QColor(0x30, 0x34, 0x3c));
    p.fillRect(QRect(3, 1, 10, 7), QColor(0xa8, 0xb8, 0x90));
    // Three lines of text on the screen, the middle one scrolled.
    const QColor ink(0x20, 0x28, 0x18);
    p.fillRect(QRect(4, 2, 6, 1), ink);
    p.fillRect(QRect(5, 4, 7, 1), ink);
    p.fillRect(QRect(4, 6, 5, 1), ink);
    // Keys.
    const QColor key(0xd0, 0xd4, 0xdc);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            p.fillRect(QRect(4 + 3 * col, 9 + 2 * row, 2, 1), key);
        }
    }
    p.fillRect(QRect(4, 15, 8, 1), QColor(0xe0, 0x60, 0x30));
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    icon.addPixmap(programIconPixmap(16));
    icon.addPixmap(programIconPixmap(32));
    return icon;
}

} // namespace vellum::ui
