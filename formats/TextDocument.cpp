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
// A UTF-8 file spends at most three bytes on a character the document holds
// in one (the stand-ins of the Private Use Area), and may open with a mark.
constexpr std::uint64_t kUtf8BytesPerByte = 3;
constexpr std::uint64_t kUtf8BomBytes = 3;

std::size_t clampToSize(std::uint64_t size) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(size, SIZE_MAX));
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The longest line of a document's text, in bytes: only CR LF ends a line.
std::size_t longestLine(std::string_view text) {
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string_view::npos;
         start = end + 2, end = text.find("\r\n", start)) {
        longest = std::max(longest, end - start);
    }
    return std::max(longest, text.size() - start);
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
    std::size_t none = 0;
    forEachDecodedLine(
        bytes, TextEncoding::Calculator, [&](std::string_view line) { lines.push_back(line); },
        none);
    return lines;
}

std::optional<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum,
                                                     std::optional<TextEncoding> encoding) {
    TextDocumentContent content;
    content.encoding = detectEncoding(bytes, encoding);
    // At most one CR LF more than the file holds: the last line's.
    content.text.reserve(bytes.size() + kCrLf.size());
    bool first = vellum;
    const auto onLine = [&](std::string_view line) {
        if (first) {
            content.name = Bytes(line);
            first = false;
            return;
        }
        content.text += line;
        content.text += kCrLf;
    };
    forEachDecodedLine(bytes, content.encoding, onLine, content.replaced);
    if (vellum && !content.name) {
        return std::nullopt;
    }
    return content;
}

std::string formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum,
                               TextEncoding encoding) {
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
    return encodeForFile(out, encoding);
}

Result<void> saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text,
                              TextEncoding encoding) {
    return io::replaceFile(path, formatTextDocument(varName, text, isVellumPath(path), encoding));
}

LoadResult Editor::LoadText(const std::string& path, const Bytes& title,
                            std::optional<TextEncoding> encoding) {
    LoadResult result;
    const auto refuse = [&](const std::string& message) {
        if (services_.boxes != nullptr) {
            services_.boxes->showError(message, kErrorTitle);
        }
        result.status = LoadResult::Status::Refused;
        return result;
    };
    // The limit is on the text the window would hold; a UTF-8 file takes up to
    // three bytes for a character that is one byte in the document (and a
    // byte-order mark), so the file itself may be that much larger.
    const std::uint64_t fileLimit = textSizeLimit_ >= kLargestTextFile / kUtf8BytesPerByte
                                        ? kLargestTextFile
                                        : textSizeLimit_ * kUtf8BytesPerByte + kUtf8BomBytes;
    Result<std::string> read = io::readFile(path, fileLimit);
    if (!read.ok() && read.failure().number == EFBIG) {
        const Result<io::FileInfo> info = io::fileInfo(path);
        const std::uint64_t size = info.ok() ? info.value().size : fileLimit + 1;
        return refuse(tooLargeMessage(path, clampToSize(size), textSizeLimit_));
    }
    if (!read.ok()) {
        result.reason = read.failure().text;
        return result;
    }
    const bool vellum = isVellumPath(path);
    std::optional<TextDocumentContent> content = parseTextDocument(read.value(), vellum, encoding);
    if (!content) {
        result.reason = "the document is empty and has no name line";
        return result;
    }
    if (content->text.size() > textSizeLimit_) {
        return refuse(tooLargeMessage(path, content->text.size(), textSizeLimit_));
    }
    if (const std::size_t line = longestLine(content->text); line > lineLengthLimit_) {
        return refuse(lineTooLongMessage(path, line, lineLengthLimit_));
    }
    // Nothing changes before the file has been read whole, so a failed load
    // leaves the document as it was.
    doc_.setText(content->text);
    doc_.VarName = vellum ? std::move(*content->name) : title;
    doc_.DocPath = path;
    doc_.DocTitle = title;
    doc_.Encoding = content->encoding;
    doc_.IsSaved = true;
    doc_.RefreshStatus();
    result.status = LoadResult::Status::Loaded;
    result.replaced = content->replaced;
    if (result.replaced > 0 && services_.boxes != nullptr) {
        services_.boxes->showWarning(replacedCharactersMessage(result.replaced), kReplacedTitle);
    }
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

    const Result<void> saved = saveTextDocument(target, doc_.VarName, doc_.text(), doc_.Encoding);
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
