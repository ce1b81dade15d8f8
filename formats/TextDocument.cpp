#include "formats/TextDocument.h"

#include "core/ByteScan.h"
#include "io/Files.h"

#include <algorithm>
#include <cerrno>

namespace vellum {

namespace {

constexpr std::string_view kCrLf = "\r\n";

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool isVellumPath(std::string_view path) {
    if (path.size() < 3) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - 3);
    return upper(tail[0]) == 'V' && upper(tail[1]) == 'L' && upper(tail[2]) == 'M';
}

std::size_t longestLine(std::string_view text) {
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t end = bytescan::findCrLf(text, 0); end != std::string_view::npos;
         start = end + 2, end = bytescan::findCrLf(text, start)) {
        longest = std::max(longest, end - start);
    }
    return std::max(longest, text.size() - start);
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t none = 0;
    forEachDecodedLine(
        bytes, TextEncoding::Calculator, [&](std::string_view line) { lines.push_back(line); },
        none);
    return lines;
}

namespace {

Failure noNameLine() {
    return Failure{EINVAL, "no name line"};
}

// A document read as its bytes: its first line (for a Vellum document) and
// the rest, joined without a call per line.
Result<TextDocumentContent> splitUndecoded(std::string_view bytes, bool vellum,
                                           TextDocumentContent content) {
    std::string_view body = bytes;
    if (vellum) {
        if (bytes.empty()) {
            return noNameLine();
        }
        const std::size_t end = bytescan::findLineBreak(bytes, 0);
        content.name = Bytes(bytes.substr(0, end));
        const bool crLf = end != std::string_view::npos && bytes.substr(end, 2) == kCrLf;
        body =
            end == std::string_view::npos ? std::string_view() : bytes.substr(end + (crLf ? 2 : 1));
    }
    content.text = joinedLines(body);
    return content;
}

} // namespace

Result<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum,
                                              std::optional<TextEncoding> encoding) {
    TextDocumentContent content;
    const FileReading reading = readingOf(bytes, encoding);
    content.encoding = reading.encoding;
    if (!reading.decoded) {
        return splitUndecoded(bytes, vellum, std::move(content));
    }
    content.text.reserve(bytes.size());
    bool first = vellum;
    bool firstText = true;
    const auto onLine = [&](std::string_view line) {
        if (first) {
            content.name = Bytes(line);
            first = false;
            return;
        }
        // Line ends go between lines: the one after the last line (if the
        // file has one) is the terminator Save writes.
        if (!firstText) {
            content.text += kCrLf;
        }
        firstText = false;
        content.text += line;
    };
    forEachDecodedLine(bytes, reading, onLine, content.replaced, content.folded);
    if (vellum && !content.name) {
        return noNameLine();
    }
    return content;
}

namespace {

// A CR not followed by LF, or an LF not following a CR.
bool hasLoneLineEnd(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool pairedCr = i + 1 < bytes.size() && bytes[i + 1] == '\n';
        const bool pairedLf = i > 0 && bytes[i - 1] == '\r';
        if ((bytes[i] == '\r' && !pairedCr) || (bytes[i] == '\n' && !pairedLf)) {
            return true;
        }
    }
    return false;
}

} // namespace

TextEncoding encodingForSave(std::string_view documentBytes, TextEncoding asked) {
    if (asked == TextEncoding::Calculator &&
        (hasLoneLineEnd(documentBytes) || isUtf8Text(documentBytes))) {
        return TextEncoding::Utf8;
    }
    return asked;
}

Bytes documentFileBytes(const Bytes& varName, const Bytes& text, bool vellum) {
    Bytes out;
    out.reserve(varName.size() + text.size() + 2 * kCrLf.size());
    if (vellum) {
        out += varName;
        out += kCrLf;
    }
    out += text;
    out += kCrLf;
    return out;
}

std::string formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum,
                               TextEncoding encoding) {
    const Bytes out = documentFileBytes(varName, text, vellum);
    return encodeForFile(out, encodingForSave(out, encoding));
}

Result<void> saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text,
                              TextEncoding encoding) {
    return io::replaceFile(path, formatTextDocument(varName, text, isVellumPath(path), encoding));
}

} // namespace vellum
