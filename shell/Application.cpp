#include "Application.h"

#include "CommandLine.h"
#include "QtDesktop.h"
#include "Startup.h"
#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "desktop/EmbeddedIcons.h"
#include "desktop/ProgramPath.h"
#include "desktop/ToolRunner.h"
#include "io/ByteFiles.h"
#include "ui/Fonts.h"
#include "ui/Icon.h"
#include "ui/ListChooserDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtServices.h"

#include <QApplication>

#include <chrono>
#include <iostream>

namespace vellum {

namespace {

// The desktop half of the association, where the desktop follows the
// freedesktop rules; Windows has the registry entries alone.
void associateDesktop(const ProgramLocation& program, const AssociationEntries& entries) {
    if (desktopIntegration() != DesktopIntegration::Freedesktop) {
        return;
    }
    if (const auto folders = XdgFolders::fromEnvironment()) {
        associateWithDesktop(program, entries, *folders, embeddedIcons(), processToolRunner());
    }
}

// Another editor starting, or an installer registering, may hold the
// association's lock; the window must not wait long for it. This start then
// leaves the association as the other one writes it.
constexpr std::chrono::seconds kAssociationPatience{3};

void whileAssociationLockedBriefly(const std::function<void()>& write) {
    const Result<void> done = whileAssociationLocked(kAssociationPatience, write);
    if (!done.ok()) {
        std::cerr << "vellum: association not written: " << done.failure().text << "\n";
    }
}

} // namespace

int runEditor(int& argc, char** argv, const std::function<void(QWidget& window)>& shown) {
    // Whole-number scaling keeps the calculator font's pixels square on
    // high-dpi screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellum"));
    QGuiApplication::setDesktopFileName(
        QString::fromLatin1(kDesktopAppId.data(), kDesktopAppId.size()));
    QApplication::setWindowIcon(ui::programIcon());

    // QApplication has taken its own options (-platform, -style and the like)
    // out of argv by now; the rest is the document's path.
    const std::string commandLine = editorCommandLine(utf8Arguments(argc, argv), argc, argv);
    const auto registry = platformRegistry(
        [](const std::string& problem) { std::cerr << "vellum: " << problem << "\n"; });

    // The window builds its controls; the services and the commands are
    // assembled here, and the start-up sequence runs before the first show.
    ui::MainWindow window;
    ui::QtFileDialog dlgFile(&window);
    ui::QtFileDialog dlgString(&window);
    ui::QtMessageBoxes boxes(&window);
    ui::QtListChooser chooser(&window);
    LocalClock clock;
    io::DiskFiles files;
    Editor editor(window.document(), {&dlgFile, &dlgString, &boxes, &clock, &files, &chooser});
    window.wire(editor);

    StartupSteps steps = editorSteps(editor);
    steps.registry = registry.get();
    steps.program = currentProgramLocation();
    steps.associateDesktop = associateDesktop;
    steps.whileAssociationLocked = whileAssociationLockedBriefly;
    steps.commandLine = commandLine;
    Form_Load(steps);

    window.show();
    if (shown) {
        shown(window);
    }
    return QApplication::exec();
}

} // namespace vellum
