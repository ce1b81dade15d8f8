// The yardstick: an empty Qt window of the editor's size, ending once shown.
#include "ShownProbe.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(419, 275);
    window.show();
    new vellum::bench::ShownProbe(window);
    return QApplication::exec();
}
