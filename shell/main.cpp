// The editor: one main window with an empty document.
#include "ui/Fonts.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellum"));
    vellum::ui::registerFonts();

    vellum::ui::MainWindow window;
    window.show();
    return QApplication::exec();
}
