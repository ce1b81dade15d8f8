// The text-document commands: Load, Save and Save As, and the loader LoadText.

#include "Editor.h"

#include "Messages.h"
#include "formats/TextDocument.h"

#include <cerrno>
#include <optional>

namespace vellum {

CommandOutcome Editor::LoadText(const std::string& path, const Bytes& title) {
    std::string bytes;
    const FileResult read = readFile(path, bytes);
    if (!read.ok) {
        const Failure failure{read.missing ? ENOENT : EIO, read.reason};
        return fail(failure, messages::cannotOpen(path, read.reason));
    }
    if (bytes.size() > textSizeLimit_) {
        const std::string message = messages::tooLarge(path, bytes.size(), textSizeLimit_);
        return fail(Failure{EFBIG, message}, message);
    }
    const bool vellum = isVellumPath(path);
    std::optional<TextDocumentContent> content = parseTextDocument(bytes, vellum);
    if (!content) {
        return fail(Failure{EINVAL, messages::kNoNameLine},
                    messages::cannotOpen(path, messages::kNoNameLine));
    }
    // Nothing changes before the file has been read whole, so a failed load
    // leaves the document as it was.
    doc_.setText(content->text);
    doc_.VarName = vellum ? std::move(*content->name) : title;
    doc_.DocPath = path;
    doc_.DocTitle = title;
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    return Completion::Done;
}

namespace {

DialogSettings textDialogSettings() {
    return {messages::kTextDialogTitle, messages::kTextDialogFilter, ""};
}

} // namespace

CommandOutcome Editor::cmdLoad_Click() {
    // Loading replaces the text: unsaved work is offered for saving first.
    if (CommandOutcome go = confirmDiscard(); !isDone(go)) {
        return go;
    }
    if (services_.dlgFile == nullptr) {
        return Completion::Cancelled;
    }
    const FileChoice choice = services_.dlgFile->showOpen(textDialogSettings());
    if (choice.cancelled()) {
        return Completion::Cancelled;
    }
    // The document is bound to the file only once it holds the file's text,
    // so a failed load never points the next Save at a file it did not load.
    CommandOutcome loaded = LoadText(choice.path, Document::TitleFromFileName(choice.fileTitle));
    if (isDone(loaded)) {
        doc_.HasPath = true;
    }
    return loaded;
}

CommandOutcome Editor::saveText(bool alwaysAsk) {
    std::string target;
    std::optional<Bytes> title;
    if (doc_.HasPath && !alwaysAsk) {
        target = doc_.DocPath;
    } else {
        if (services_.dlgFile == nullptr) {
            return Completion::Cancelled;
        }
        const FileChoice choice = services_.dlgFile->showSave(textDialogSettings());
        if (choice.cancelled()) {
            return Completion::Cancelled;
        }
        title = Document::TitleFromFileName(choice.fileTitle);
        target = choice.path;
    }

    const FileResult saved = saveTextDocument(target, doc_.VarName, doc_.text());
    if (!saved.ok) {
        // Nothing of the document changes: it still counts as unsaved and
        // stays bound to the file it was bound to.
        return fail(Failure{EIO, saved.reason}, messages::cannotSave(target, saved.reason));
    }
    if (title) {
        doc_.DocTitle = *title;
        // Save binds the document to the chosen file; Save As leaves the binding.
        if (!alwaysAsk) {
            doc_.HasPath = true;
        }
    }
    doc_.DocPath = target;
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    return Completion::Done;
}

CommandOutcome Editor::cmdSave_Click() {
    return saveText(false);
}

CommandOutcome Editor::cmdSaveAs_Click() {
    return saveText(true);
}

} // namespace vellum
