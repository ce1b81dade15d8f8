#include "formats/TextDocument.h"

#include "io/Files.h"

#include <algorithm>

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
    for (std::size_t end = text.find("\r\n"); end != std::string_view::npos;
         start = end + 2, end = text.find("\r\n", start)) {
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

} // namespace vellum
