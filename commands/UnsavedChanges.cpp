// The unsaved-changes prompt and the two commands that always run it: New
// and closing the window.

#include "Editor.h"

#include "Messages.h"

namespace vellum {

CommandOutcome Editor::confirmDiscard() {
    doc_.takeOverNameBox();
    if (doc_.IsSaved) {
        return Completion::Done;
    }
    const Answer answer =
        services_.boxes != nullptr
            ? services_.boxes->askYesNoCancel(messages::kUnsaved, messages::kUnsavedTitle)
            : Answer::Cancel;
    switch (answer) {
    case Answer::No:
        return Completion::Done;
    case Answer::Yes:
        return cmdSave_Click();
    case Answer::Cancel:
        break;
    }
    return Completion::Cancelled;
}

CommandOutcome Editor::cmdNew_Click() {
    if (CommandOutcome go = confirmDiscard(); !isDone(go)) {
        return go;
    }
    doc_.resetToNew();
    origin_.reset();
    return Completion::Done;
}

} // namespace vellum
