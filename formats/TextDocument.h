#pragma once
// The editor's own text documents and the file access of the loaders.
//
// A Vellum document (a path ending in "vlm", any case, dot or no dot) holds
// the variable name on its first line and the text after it; any other file
// holds the text alone. The file is UTF-8 or calculator bytes and its lines
// end at CR LF, a lone CR or a lone LF (formats/TextEncoding.h).
//
// The parsing and formatting functions are pure. Saving goes through
// io::replaceFile, which never leaves a half-written document behind.

#include "core/Charset.h"
#include "core/Outcome.h"
#include "formats/TextEncoding.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// True when the last three characters of the path, upper-cased, are "VLM".
bool isVellumPath(std::string_view path);

// The lines of a file of calculator bytes, without their terminators. No
// empty line is produced after the last terminator.
std::vector<std::string_view> splitLines(std::string_view bytes);

// The longest line of a document's text, in bytes: only CR LF ends a line.
std::size_t longestLine(std::string_view text);

struct TextDocumentContent {
    std::optional<Bytes> name; // the first line, for a Vellum document
    // Every (other) line, CR LF between them: the line end that closes the
    // file is its terminator, not text.
    Bytes text;
    TextEncoding encoding = TextEncoding::Calculator; // what the file was read as
    std::size_t replaced = 0; // characters that had no calculator byte and became "?"
    std::size_t folded = 0;   // characters that became a calculator byte showing another one
};

// Reads the bytes of a document, in the encoding asked for or else the one
// they look like. A Vellum document without any line has no name to give: it
// fails with EINVAL.
Result<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum,
                                              std::optional<TextEncoding> encoding = std::nullopt);

// The encoding Save writes a document's file bytes in (the name line and the
// text in calculator codes): the one asked for, except that a file of
// calculator codes cannot hold a lone CR or LF (they end lines) nor bytes that
// read as UTF-8, so such a document is written as UTF-8, which keeps them.
TextEncoding encodingForSave(std::string_view documentBytes, TextEncoding asked);

// The file bytes of a document in calculator codes: the name line for a
// Vellum document, then the text, then the CR LF that ends the file.
Bytes documentFileBytes(const Bytes& varName, const Bytes& text, bool vellum);

// The bytes Save writes: documentFileBytes in encodingForSave's encoding, so
// that loading the file gives the text back byte for byte.
std::string formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum,
                               TextEncoding encoding = TextEncoding::Calculator);

// Formats and saves a document to path (a Vellum document when the path says
// so). The one save path of the editor and the command-line tool.
Result<void> saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text,
                              TextEncoding encoding = TextEncoding::Calculator);

} // namespace vellum
