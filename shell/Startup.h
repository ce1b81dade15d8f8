#pragma once
// Form_Load: what the editor does between creating its window and showing it.
//
//   1-2. the document is marked saved and New runs (resetToNew);
//   3.   the four association entries go through SaveRegString, and the
//        desktop learns the same association;
//   4-6. a file named on the command line is opened by the loader its
//        ending chooses; the loader shows why, if it cannot.
//
// Everything it touches comes in through StartupSteps, so a test can run the
// whole sequence without a window, a registry or a desktop.

#include "commands/Services.h"
#include "core/Charset.h"
#include "desktop/Association.h"

#include <functional>
#include <string>

namespace vellum {

class Editor;

struct StartupSteps {
    // Steps 1 and 2: the first, empty document.
    std::function<void()> newDocument;
    Registry* registry = nullptr;
    ProgramLocation program;
    // The desktop's side of the association; may be empty.
    std::function<void(const ProgramLocation&, const AssociationEntries&)> associateDesktop;
    // Runs the association's writes (the registry's and the desktop's) while
    // no other program writes it, or skips them when it must not wait any
    // longer; may be empty (they then run at once).
    std::function<void(const std::function<void()>& write)> whileAssociationLocked;
    std::function<CommandOutcome(const std::string& path, const Bytes& title)> loadText;
    std::function<CommandOutcome(const std::string& path, const Bytes& title)> loadString;
    // The program's arguments joined by single spaces.
    std::string commandLine;
};

// The steps that work on the editor's document: New and the two loaders.
StartupSteps editorSteps(Editor& editor);

// The whole sequence, steps 1 to 6.
void Form_Load(const StartupSteps& steps);

} // namespace vellum
