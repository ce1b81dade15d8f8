// Bytes in, a text document (plain and Vellum) out, then saved and read again.
//
// The rules the loader and the saver keep, read as calculator bytes:
// - a line ends at CR LF, at a lone CR or at a lone LF, so no line holds a CR
//   or an LF, and the text is the lines with CR LF between them (the line end
//   that closes the file is no part of the text);
// - saving writes the name line (Vellum), the text and one closing CR LF: so
//   the saved file is the loaded file with each lone CR or LF made CR LF and a
//   missing last CR LF added (an empty text is one more empty line), unless
//   its bytes would read as UTF-8, when it is saved as UTF-8;
// - reading the saved file gives the same name and the same text.
// And in whatever encoding the bytes look like: saved in the encoding they
// were read in, they read back the same, byte for byte, with no "?" added.
#include "FuzzSupport.h"

#include "formats/TextDocument.h"

using namespace vellum;
using vellum::fuzz::require;

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The file with every line end written as CR LF and the last line ended.
Bytes withCrLfLineEnds(std::string_view file) {
    Bytes out;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r' || file[i] == '\n') {
            out += kCrLf;
            if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += file[i];
        }
    }
    if (!out.empty() && !out.ends_with(kCrLf)) {
        out += kCrLf;
    }
    return out;
}

bool onlyCrLfPairs(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return false;
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            return false;
        }
    }
    return true;
}

// The lines from first on, each followed by CR LF (between: without the last).
Bytes joinLines(const std::vector<std::string_view>& lines, std::size_t first,
                bool between = false) {
    Bytes out;
    for (std::size_t i = first; i < lines.size(); ++i) {
        out += lines[i];
        if (!between || i + 1 < lines.size()) {
            out += kCrLf;
        }
    }
    return out;
}

void checkKind(std::string_view file, const std::vector<std::string_view>& lines, bool vellum) {
    const Result<TextDocumentContent> parsed =
        parseTextDocument(file, vellum, TextEncoding::Calculator);
    if (vellum && lines.empty()) {
        require(!parsed.ok(), "a Vellum document without a line has no name and is not loaded");
        return;
    }
    require(parsed.ok(), "every file with a line loads");
    const TextDocumentContent* loaded = &parsed.value();
    require(loaded->name.has_value() == vellum, "only a Vellum document has a name line");
    if (vellum) {
        require(*loaded->name == lines.front(), "the name is the first line, unchanged");
    }
    const std::size_t first = vellum ? 1 : 0;
    require(loaded->text == joinLines(lines, first, true),
            "the text is the remaining lines, CR LF between them");
    require(onlyCrLfPairs(loaded->text), "the loaded text has no lone CR or LF");

    const Bytes name = vellum ? *loaded->name : Bytes("ignored");
    const Bytes saved = formatTextDocument(name, loaded->text, vellum);
    if (!isUtf8Text(saved)) {
        Bytes expected = withCrLfLineEnds(file);
        if (lines.size() == first) {
            expected += kCrLf; // the empty text's own line
        }
        require(saved == expected, "saving gives the file with CR LF line ends");
    }

    const Result<TextDocumentContent> reparsed = parseTextDocument(saved, vellum);
    require(reparsed.ok(), "a saved document loads");
    const TextDocumentContent* again = &reparsed.value();
    if (vellum) {
        require(again->name == loaded->name, "the name survives a save and a load");
    }
    require(again->text == loaded->text, "the text survives a save and a load");
    require(formatTextDocument(name, again->text, vellum, again->encoding) == saved,
            "saving what was loaded writes the file unchanged");
}

void checkEitherEncoding(std::string_view file, bool vellum) {
    const Result<TextDocumentContent> parsed = parseTextDocument(file, vellum);
    if (!parsed.ok()) {
        return;
    }
    const TextDocumentContent* loaded = &parsed.value();
    const std::string saved =
        formatTextDocument(loaded->name.value_or("n"), loaded->text, vellum, loaded->encoding);
    const Result<TextDocumentContent> reparsed = parseTextDocument(saved, vellum);
    require(reparsed.ok() && reparsed.value().encoding == loaded->encoding,
            "a saved document reads back in the encoding it was written in");
    const TextDocumentContent* again = &reparsed.value();
    require(again->replaced == 0, "nothing of a saved document becomes ?");
    // A name line can hold the bytes CR LF only from the stand-ins of a UTF-8
    // file; saved, they are a line end.
    if (vellum && loaded->name->find(kCrLf) != std::string::npos) {
        return;
    }
    require(again->name == loaded->name, "the name survives a save and a load");
    require(again->text == loaded->text, "the text survives a save and a load");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file = fuzz::asBytes(data, size);
    const std::vector<std::string_view> lines = splitLines(file);
    for (const std::string_view line : lines) {
        require(line.find('\r') == std::string_view::npos, "no line holds a CR");
        require(line.data() >= file.data() && line.data() + line.size() <= file.data() + size,
                "lines are views into the file");
    }
    require(joinLines(lines, 0) == withCrLfLineEnds(file),
            "the lines with CR LF after each give the file with CR LF line ends");
    checkKind(file, lines, false);
    checkKind(file, lines, true);
    checkEitherEncoding(file, false);
    checkEitherEncoding(file, true);
    return 0;
}
