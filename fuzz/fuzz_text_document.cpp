// Bytes in, a text document (plain and Vellum) out, then saved and read again.
//
// The rules the loader and the saver keep:
// - a line ends at CR LF or at a lone CR, so no line holds a CR, and the text
//   is every line followed by CR LF (every CR of it stands before an LF);
// - saving writes the name line (Vellum), the text, and one CR LF unless the
//   text ends with one: so the saved file is the loaded file with each lone CR
//   made CR LF and a missing last CR LF added;
// - reading the saved file gives the same name, and the same text unless the
//   text was empty (an empty text is saved as one empty line).
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
        if (file[i] == '\r') {
            out += kCrLf;
            if (i + 1 < file.size() && file[i + 1] == '\n') {
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

bool everyCrBeforeAnLf(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return false;
        }
    }
    return true;
}

Bytes joinLines(const std::vector<std::string_view>& lines, std::size_t first) {
    Bytes out;
    for (std::size_t i = first; i < lines.size(); ++i) {
        out += lines[i];
        out += kCrLf;
    }
    return out;
}

void checkKind(std::string_view file, const std::vector<std::string_view>& lines, bool vellum) {
    const std::optional<TextDocumentContent> loaded = parseTextDocument(file, vellum);
    if (vellum && lines.empty()) {
        require(!loaded, "a Vellum document without a line has no name and is not loaded");
        return;
    }
    require(loaded.has_value(), "every file with a line loads");
    require(loaded->name.has_value() == vellum, "only a Vellum document has a name line");
    if (vellum) {
        require(*loaded->name == lines.front(), "the name is the first line, unchanged");
    }
    require(loaded->text == joinLines(lines, vellum ? 1 : 0),
            "the text is the remaining lines, each followed by CR LF");
    require(everyCrBeforeAnLf(loaded->text), "the loaded text has no lone CR");

    const Bytes name = vellum ? *loaded->name : Bytes("ignored");
    const Bytes saved = formatTextDocument(name, loaded->text, vellum);
    Bytes expected = withCrLfLineEnds(file);
    if (loaded->text.empty()) {
        expected += kCrLf; // the empty text's own line
    }
    require(saved == expected, "saving gives the file with CR LF line ends");

    const std::optional<TextDocumentContent> again = parseTextDocument(saved, vellum);
    require(again.has_value(), "a saved document loads");
    if (vellum) {
        require(again->name == loaded->name, "the name survives a save and a load");
    }
    if (!loaded->text.empty()) {
        require(again->text == loaded->text, "the text survives a save and a load");
        require(formatTextDocument(name, again->text, vellum) == saved,
                "saving what was loaded writes the file unchanged");
    } else {
        require(again->text == kCrLf, "an empty text comes back as one empty line");
    }
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
    return 0;
}
