#pragma once
// How the bytes of a text file become a document's calculator bytes, and back.
//
// A file that is valid UTF-8 and holds at least one multi-byte sequence came
// from the rest of the desktop: its characters become calculator bytes the way
// pasted text does (folds, then "?"), and a leading byte-order mark is
// dropped. Any other file holds calculator codes, one byte per character, as
// the editor has always written them. Either way a line ends at CR LF, at a
// lone CR or at a lone LF (a UTF-8 file also ends lines at U+2028 and U+2029,
// as a paste does).
//
// A file of printable ASCII alone (NUL aside) reads the same both ways; it
// counts as UTF-8, so that it is written back unchanged and what the user adds
// to it is written as every other program expects (and a UTF-8 document that
// happens to hold only ASCII after a save stays UTF-8 at the next load).

#include "core/Document.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence.
bool isUtf8Text(std::string_view bytes);

// The encoding of the bytes: the one asked for, else the one they look like.
TextEncoding detectEncoding(std::string_view bytes, std::optional<TextEncoding> asked);

// How the lines of a file are read: in which encoding, and whether they go
// through the UTF-8 decoder at all (a file of printable ASCII and line ends
// reads the same either way, and its lines are its bytes).
struct FileReading {
    TextEncoding encoding = TextEncoding::Calculator;
    bool decoded = false;
};
FileReading readingOf(std::string_view bytes, std::optional<TextEncoding> asked);

// The lines of a file read as its bytes, CR LF between them: each lone CR or
// LF becomes CR LF, and the line end that closes the file is left out (what
// forEachDecodedLine gives, joined, in one pass and a copy per stretch).
Bytes joinedLines(std::string_view file);

// Calls onLine with every line of the file, as calculator bytes without its
// terminator. No empty line is produced after the last terminator. Lines of a
// calculator-byte file are views into it. Adds to `replaced` the characters
// that had no calculator equivalent and became "?".
void forEachDecodedLine(std::string_view file, TextEncoding encoding,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced);
// The same, also adding to `folded` the characters that became a calculator
// byte whose own character is another one (a dash as "-", a tab as its
// stand-in): they would not be written back as they were.
void forEachDecodedLine(std::string_view file, TextEncoding encoding,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced, std::size_t& folded);
// The same for a file whose reading is known already.
void forEachDecodedLine(std::string_view file, FileReading reading,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced, std::size_t& folded);

// The file bytes of a document's bytes (CR LF between lines). Calculator:
// unchanged. UTF-8: every CR LF pair stays, every other byte becomes its
// display character, so that reading the file gives the same bytes back.
std::string encodeForFile(std::string_view documentBytes, TextEncoding encoding);

} // namespace vellum
