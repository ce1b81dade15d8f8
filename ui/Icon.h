#pragma once
// The program's icon and the document icon, built into the program from
// data/icons (SVG and 16/32-pixel PNGs).

#include <QByteArray>
#include <QIcon>

namespace vellum::ui {

// The window's icon, with its 16 and 32 pixel images.
QIcon programIcon();

// The bytes of one built-in icon file ("vellum.svg", "vellum-document-16.png",
// ...); empty when there is no such file.
QByteArray iconFileBytes(const char* name);

} // namespace vellum::ui
