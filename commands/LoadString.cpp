// Load .85s and its loader LoadString.

#include "Editor.h"

#include "Messages.h"
#include "formats/StringReader.h"
#include "formats/VariableFile.h"
#include "io/Files.h"

#include <cerrno>

namespace vellum {

CommandOutcome Editor::LoadString(const std::string& path, const Bytes& title) {
    if (isGroupPath(path)) {
        return LoadGroup(path, title);
    }
    Result<std::string> read = io::readPrefix(path, kStringReadLimit);
    // A path that names no file reads as an empty file (and is then refused).
    if (!read.ok() && !io::isMissing(read.failure())) {
        return fail(read.failure(), messages::cannotOpen(path, read.failure().text));
    }
    return LoadStringBytes(read.ok() ? read.value() : std::string(), title);
}

CommandOutcome Editor::LoadStringBytes(std::string_view bytes, const Bytes& title) {
    Result<DecodedString> decoded = decodeStringFile(bytes);
    if (!decoded.ok()) {
        // Whatever the reader could not use, the user hears the one message.
        return fail(decoded.failure(), messages::kNotScrollet);
    }

    doc_.DocTitle = title;
    doc_.VarName = std::move(decoded.value().name);
    doc_.HasPath = false;
    doc_.Encoding = TextEncoding::Utf8; // a new document as far as text files go
    doc_.setText(decoded.value().text);
    // A string load always ends modified, even when the text did not change.
    doc_.IsSaved = false;
    doc_.RefreshStatus();
    origin_.reset(); // it stands for no text file now
    return Completion::Done;
}

CommandOutcome Editor::cmdLoadS_Click() {
    // Loading replaces the text: unsaved work is offered for saving first.
    if (CommandOutcome go = confirmDiscard(); !isDone(go)) {
        return go;
    }
    if (services_.dlgFile == nullptr) {
        return Completion::Cancelled;
    }
    const FileChoice choice = services_.dlgFile->showOpen(
        {messages::kStringDialogTitle, messages::kStringDialogFilter, ""});
    if (choice.cancelled()) {
        return Completion::Cancelled;
    }
    return LoadString(choice.path, Document::TitleFromFileName(choice.fileTitle));
}

} // namespace vellum
