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

// A UTF-8 file spends at most three bytes on a character the document holds
// in one (the stand-ins of the Private Use Area), and may open with a mark.
constexpr std::uint64_t kUtf8BytesPerByte = 3;
constexpr std::uint64_t kUtf8BomBytes = 3;

std::size_t clampToSize(std::uint64_t size) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(size, SIZE_MAX));
}

} // namespace

CommandOutcome Editor::LoadText(const std::string& path, const Bytes& title,
                                std::optional<TextEncoding> encoding) {
    const auto refuse = [&](const std::string& message) {
        return fail(Failure{EFBIG, message}, message);
    };
    // The limit is on the text the window would hold; a UTF-8 file takes up to
    // three bytes for a character that is one byte in the document (and a
    // byte-order mark), so the file itself may be that much larger.
    const std::uint64_t fileLimit = textSizeLimit_ >= kLargestTextFile / kUtf8BytesPerByte
                                        ? kLargestTextFile
                                        : textSizeLimit_ * kUtf8BytesPerByte + kUtf8BomBytes;
    // Stamped as it is opened, before it is read: a change while it is read
    // then shows at Save.
    io::FileStamp stamp;
    Result<std::string> read = io::readFile(path, fileLimit, &stamp);
    if (!read.ok() && read.failure().number == EFBIG) {
        const Result<io::FileInfo> info = io::fileInfo(path);
        const std::uint64_t size = info.ok() ? info.value().size : fileLimit + 1;
        return refuse(
            messages::tooLarge(path, clampToSize(size),
                               clampToSize(std::min<std::uint64_t>(textSizeLimit_, fileLimit))));
    }
    if (!read.ok()) {
        return fail(read.failure(), messages::cannotOpen(path, read.failure().text));
    }
    CommandOutcome loaded = LoadTextBytes(read.value(), path, title, encoding);
    if (isDone(loaded) && origin_) {
        origin_->stamp = stamp;
    }
    return loaded;
}

CommandOutcome Editor::LoadTextBytes(std::string_view bytes, const std::string& path,
                                     const Bytes& title, std::optional<TextEncoding> encoding) {
    const auto refuse = [&](const std::string& message) {
        return fail(Failure{EFBIG, message}, message);
    };
    const bool vellum = isVellumPath(path);
    Result<TextDocumentContent> parsed = parseTextDocument(bytes, vellum, encoding);
    if (!parsed.ok()) {
        return fail(Failure{parsed.failure().number, messages::kNoNameLine},
                    messages::cannotOpen(path, messages::kNoNameLine));
    }
    TextDocumentContent& content = parsed.value();
    if (content.text.size() > textSizeLimit_) {
        return refuse(messages::tooLarge(path, content.text.size(), textSizeLimit_));
    }
    // Without a limit (vellum-cli) there is nothing to measure.
    if (lineLengthLimit_ < content.text.size()) {
        if (const std::size_t line = longestLine(content.text); line > lineLengthLimit_) {
            return refuse(messages::lineTooLong(path, line, lineLengthLimit_));
        }
    }
    // Nothing changes before the file has been read whole, so a failed load
    // leaves the document as it was.
    doc_.setText(std::move(content.text));
    doc_.VarName = vellum ? std::move(*content.name) : title;
    doc_.DocPath = path;
    doc_.DocTitle = title;
    doc_.Encoding = content.encoding;
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    replacedByLastLoad_ = content.replaced;
    rememberOrigin(path, std::nullopt, content.replaced + content.folded);
    if (replacedByLastLoad_ > 0 && services_.boxes != nullptr) {
        services_.boxes->showWarning(messages::replacedCharacters(replacedByLastLoad_),
                                     messages::kReplacedTitle);
    }
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

    if (CommandOutcome go = confirmReplace(target, !alwaysAsk); !isDone(go)) {
        return go;
    }
    const Bytes text = doc_.text();
    const Result<void> saved = saveTextDocument(target, doc_.VarName, text, doc_.Encoding);
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
    // A document Save had to write as UTF-8 stays so (formats/TextDocument.h).
    doc_.Encoding =
        encodingForSave(documentFileBytes(doc_.VarName, text, isVellumPath(target)), doc_.Encoding);
    const Result<io::FileStamp> stamp = io::fileStamp(target);
    rememberOrigin(target, stamp.ok() ? std::optional(stamp.value()) : std::nullopt, 0);
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    return Completion::Done;
}

void Editor::rememberOrigin(const std::string& path, std::optional<io::FileStamp> stamp,
                            std::size_t changedByLoad) {
    origin_ = Origin{path, stamp, changedByLoad};
}

bool Editor::ask(const std::string& message) {
    return services_.boxes != nullptr &&
           services_.boxes->askYesNo(message, messages::kUnsavedTitle);
}

CommandOutcome Editor::confirmReplace(const std::string& target, bool askLosses) {
    if (!origin_ || (target != origin_->path && !io::sameFile(target, origin_->path))) {
        return Completion::Done; // another file: the dialog asked about replacing it
    }
    const Result<io::FileStamp> now = io::fileStamp(target);
    if (now.ok() && now.value().kind == io::FileKind::Missing) {
        return Completion::Done; // gone: nothing of it can be lost
    }
    // A stamp that cannot be taken now counts as a change: better asked once
    // too often than a file lost.
    const bool changed = origin_->stamp && (!now.ok() || now.value() != *origin_->stamp);
    if (changed && !ask(messages::changedOnDisk(target))) {
        return Completion::Cancelled;
    }
    if (askLosses && origin_->changedByLoad > 0 &&
        !ask(messages::charactersLost(target, origin_->changedByLoad))) {
        return Completion::Cancelled;
    }
    return Completion::Done;
}

CommandOutcome Editor::cmdSave_Click() {
    return saveText(false);
}

CommandOutcome Editor::cmdSaveAs_Click() {
    return saveText(true);
}

} // namespace vellum
