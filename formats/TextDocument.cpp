#include "formats/TextDocument.h"

#include "io/Files.h"

namespace vellum {

namespace {

constexpr std::string_view kCrLf = "\r\n";

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

} // namespace vellum
