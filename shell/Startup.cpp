#include "Startup.h"

#include "CommandLine.h"
#include "commands/Editor.h"

namespace vellum {

StartupSteps editorSteps(Editor& editor) {
    StartupSteps steps;
    steps.newDocument = [&editor] { editor.document().resetToNew(); };
    steps.loadText = [&editor](const std::string& path, const Bytes& title) {
        return editor.LoadText(path, title);
    };
    steps.loadString = [&editor](const std::string& path, const Bytes& title) {
        return editor.LoadString(path, title);
    };
    return steps;
}

void Form_Load(const StartupSteps& steps) {
    if (steps.newDocument) {
        steps.newDocument();
    }
    const AssociationEntries entries = associationEntries(steps.program);
    const auto associate = [&] {
        if (steps.registry != nullptr) {
            writeAssociationEntries(*steps.registry, entries);
        }
        if (steps.associateDesktop) {
            steps.associateDesktop(steps.program, entries);
        }
    };
    if (steps.whileAssociationLocked) {
        steps.whileAssociationLocked(associate);
    } else {
        associate();
    }

    const auto action = commandLineAction(steps.commandLine);
    if (!action) {
        return;
    }
    const auto& load = action->loader == StartupLoader::Text ? steps.loadText : steps.loadString;
    if (load) {
        // A file that cannot be read or is refused has been shown by the
        // loader, which changed nothing: the editor goes on with the empty
        // document of step 2.
        (void)load(steps.commandLine, action->title);
    }
}

} // namespace vellum
