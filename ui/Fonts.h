#pragma once
// Every font the windows use comes from here.
//
// The text area and the character map draw the calculator's character set;
// the other controls use a small bold monospace face. Both are sized in
// pixels (6 points at 96 dpi is 8 pixels), so the fixed layout fits at any
// logical dpi; Qt scales them with the screen's device pixel ratio.

#include <QFont>

namespace vellum::ui {

// Makes the program's own fonts known to Qt, once; the main window calls it
// as it is built (after the QApplication exists).
void registerFonts();

// The calculator font: txtMain and the character map's cells.
QFont calculatorFont();

// The controls' font: buttons, labels and the name box.
QFont controlFont();

} // namespace vellum::ui
