#pragma once
// The editor's own text documents and the file access of the loaders.
//
// A Vellum document (a path ending in "vlm", any case, dot or no dot) holds
// the variable name on its first line and the text after it; any other file
// holds the text alone. Lines end at CR LF or at a lone CR; a lone LF is an
// ordinary character of its line.
//
// The parsing and formatting functions are pure. Saving goes through
// io::replaceFile, which never leaves a half-written document behind.

#include "core/Charset.h"
#include "core/Outcome.h"
#include "formats/Editor.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// The dialog settings of Load, Save and Save As.
inline constexpr const char* kTextDialogTitle = "Save Text";
inline constexpr const char* kTextDialogFilter =
    "'Vellum' Files (*.vlm)|*.vlm|Regular Text Files|*.txt|All Files|*.*";
// The dialog settings of Load .85s.
inline constexpr const char* kStringDialogTitle = "Load String";
inline constexpr const char* kStringDialogFilter = "TI-85 Strings|*.85s|All Files|*.*";
// The box shown when a save cannot be written.
inline constexpr const char* kSaveErrorTitle = kErrorTitle;

// True when the last three characters of the path, upper-cased, are "VLM".
bool isVellumPath(std::string_view path);

// The lines of a text file, without their terminators. No empty line is
// produced after the last terminator.
std::vector<std::string_view> splitLines(std::string_view bytes);

struct TextDocumentContent {
    std::optional<Bytes> name; // the first line, for a Vellum document
    Bytes text;                // every (other) line followed by CR LF
};

// Reads the bytes of a document. A Vellum document without any line has no
// name to give and yields nothing.
std::optional<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum);

// The bytes Save writes: the name line for a Vellum document, then the text,
// then CR LF unless the text already ends with one (so that saving what was
// loaded gives the file back unchanged).
Bytes formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum);

// Formats and saves a document to path (a Vellum document when the path says
// so). The one save path of the editor and the command-line tool.
Result<void> saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text);

} // namespace vellum
