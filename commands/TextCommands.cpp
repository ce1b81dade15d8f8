// The text-document commands: Load, Save and Save As, and the loader LoadText.

#include "Editor.h"

#include "Messages.h"
#include "formats/TextDocument.h"
#include "io/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>

namespace vellum {

namespace {

// Without a window's limit a text document is still read only up to this
// size: far beyond what a string file holds, and no threat to memory.
constexpr std::uint64_t kLargestTextFile = 64ull << 20;

std::size_t clampToSize(std::uint64_t size) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(size, SIZE_MAX));
}

} // namespace

CommandOutcome Editor::LoadText(const std::string& path, const Bytes& title) {
    const std::uint64_t limit = std::min<std::uint64_t>(textSizeLimit_, kLargestTextFile);
    Result<std::string> read = io::readFile(path, limit);
    if (!read.ok() && read.failure().number == EFBIG) {
        const Result<io::FileInfo> info = io::fileInfo(path);
        const std::uint64_t size = info.ok() ? info.value().size : limit + 1;
        const std::string message = messages::tooLarge(path, clampToSize(size), clampToSize(limit));
        return fail(Failure{EFBIG, message}, message);
    }
    if (!read.ok()) {
        return fail(read.failure(), messages::cannotOpen(path, read.failure().text));
    }
    const std::string& bytes = read.value();
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

    const Result<void> saved = saveTextDocument(target, doc_.VarName, doc_.text());
    if (!saved.ok()) {
        // Nothing of the document changes: it still counts as unsaved and
        // stays bound to the file it was bound to.
        return fail(saved.failure(), messages::cannotSave(target, saved.failure().text));
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
