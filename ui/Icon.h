#pragma once
// The window's icon, built into the program from data/icons. (The desktop's
// icon files come from desktop/EmbeddedIcons.h.)

#include <QIcon>

namespace vellum::ui {

// The window's icon, with its 16 and 32 pixel images.
QIcon programIcon();

} // namespace vellum::ui
