#include "formats/TextDocument.h"

#include "formats/Editor.h"
#include "io/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace vellum {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Without a window's limit a text document is still read only up to this
// size: far beyond what a string file holds, and no threat to memory.
constexpr std::uint64_t kLargestTextFile = 64ull << 20;

std::size_t clampToSize(std::uint64_t size) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(size, SIZE_MAX));
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Calls onLine with every line of the bytes, without its terminator: a line
// ends at CR LF or at a lone CR; the last may end at the end of the bytes.
template <typename OnLine> void forEachLine(std::string_view bytes, OnLine onLine) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            continue;
        }
        onLine(bytes.substr(start, i - start));
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        onLine(bytes.substr(start));
    }
}

} // namespace

bool isVellumPath(std::string_view path) {
    if (path.size() < 3) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - 3);
    return upper(tail[0]) == 'V' && upper(tail[1]) == 'L' && upper(tail[2]) == 'M';
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    forEachLine(bytes, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

std::optional<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum) {
    TextDocumentContent content;
    // At most one CR LF more than the file holds: the last line's.
    content.text.reserve(bytes.size() + kCrLf.size());
    bool first = vellum;
    forEachLine(bytes, [&](std::string_view line) {
        if (first) {
            content.name = Bytes(line);
            first = false;
            return;
        }
        content.text += line;
        content.text += kCrLf;
    });
    if (vellum && !content.name) {
        return std::nullopt;
    }
    return content;
}

Bytes formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum) {
    Bytes out;
    out.reserve(varName.size() + text.size() + 2 * kCrLf.size());
    if (vellum) {
        out += varName;
        out += kCrLf;
    }
    out += text;
    if (!text.ends_with(kCrLf)) {
        out += kCrLf;
    }
    return out;
}

Result<void> saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text) {
    return io::replaceFile(path, formatTextDocument(varName, text, isVellumPath(path)));
}

LoadResult Editor::LoadText(const std::string& path, const Bytes& title) {
    LoadResult result;
    const std::uint64_t limit = std::min<std::uint64_t>(textSizeLimit_, kLargestTextFile);
    Result<std::string> read = io::readFile(path, limit);
    if (!read.ok() && read.failure().number == EFBIG) {
        const Result<io::FileInfo> info = io::fileInfo(path);
        const std::uint64_t size = info.ok() ? info.value().size : limit + 1;
        if (services_.boxes != nullptr) {
            services_.boxes->showError(tooLargeMessage(path, clampToSize(size), limit),
                                       kErrorTitle);
        }
        result.status = LoadResult::Status::Refused;
        return result;
    }
    if (!read.ok()) {
        result.reason = read.failure().text;
        return result;
    }
    const std::string& bytes = read.value();
    const bool vellum = isVellumPath(path);
    std::optional<TextDocumentContent> content = parseTextDocument(bytes, vellum);
    if (!content) {
        result.reason = "the document is empty and has no name line";
        return result;
    }
    // Nothing changes before the file has been read whole, so a failed load
    // leaves the document as it was.
    doc_.setText(content->text);
    doc_.VarName = vellum ? std::move(*content->name) : title;
    doc_.DocPath = path;
    doc_.DocTitle = title;
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    result.status = LoadResult::Status::Loaded;
    return result;
}

namespace {

DialogSettings textDialogSettings() {
    return {kTextDialogTitle, kTextDialogFilter, ""};
}

} // namespace

void Editor::cmdLoad_Click() {
    // Loading replaces the text: unsaved work is offered for saving first.
    if (!doc_.confirmDiscard() || services_.dlgFile == nullptr) {
        return;
    }
    const FileChoice choice = services_.dlgFile->showOpen(textDialogSettings());
    if (choice.cancelled()) {
        return;
    }
    const std::optional<Bytes> title = Document::TitleFromFileName(choice.fileTitle);
    if (!title) {
        return;
    }
    // The document is bound to the file only once it holds the file's text,
    // so a failed load never points the next Save at a file it did not load.
    if (LoadText(choice.path, *title).ok()) {
        doc_.HasPath = true;
    }
}

void Editor::saveText(bool alwaysAsk) {
    std::string target;
    std::optional<Bytes> title;
    if (doc_.HasPath && !alwaysAsk) {
        target = doc_.DocPath;
    } else {
        if (services_.dlgFile == nullptr) {
            return;
        }
        const FileChoice choice = services_.dlgFile->showSave(textDialogSettings());
        if (choice.cancelled()) {
            return;
        }
        title = Document::TitleFromFileName(choice.fileTitle);
        if (!title) {
            return;
        }
        target = choice.path;
    }

    const Result<void> saved = saveTextDocument(target, doc_.VarName, doc_.text());
    if (!saved.ok()) {
        // Nothing of the document changes: it still counts as unsaved and
        // stays bound to the file it was bound to.
        if (services_.boxes != nullptr) {
            services_.boxes->showError("Could not save " + target + ": " + saved.failure().text,
                                       kSaveErrorTitle);
        }
        return;
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
}

void Editor::cmdSave_Click() {
    saveText(false);
}

void Editor::cmdSaveAs_Click() {
    saveText(true);
}

} // namespace vellum
