#pragma once
// The program's icon, drawn in code at 16 and 32 pixels: a calculator's
// screen with a line of text being scrolled.

#include <QIcon>
#include <QPixmap>

namespace vellum::ui {

QPixmap programIconPixmap(int size);
QIcon programIcon();

} // namespace vellum::ui
