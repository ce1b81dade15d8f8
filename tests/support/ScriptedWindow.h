#pragma once
// The main window as shell/ assembles it, but over scripted dialogs and boxes
// and a fixed clock: for the Qt tests and benchmarks (header only, so the
// support library itself needs no toolkit).

#include "commands/Editor.h"
#include "io/ByteFiles.h"
#include "tests/support/Scripted.h"
#include "ui/MainWindow.h"

namespace vellum::support {

struct ScriptedWindow {
    ScriptedDialog dlgFile;
    ScriptedDialog dlgString;
    ScriptedBoxes boxes;
    FixedClock clock;
    io::DiskFiles files;
    ui::MainWindow window;
    Editor editor{window.document(), {&dlgFile, &dlgString, &boxes, &clock, &files}};

    // Wired, with the first document of start-up.
    ScriptedWindow() {
        window.wire(editor);
        window.document().resetToNew();
    }
    Document& doc() { return window.document(); }
};

} // namespace vellum::support
