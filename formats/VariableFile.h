#pragma once
// TI-85 variable files with any number of entries: the group files (.85g)
// that link software saves when it receives several variables at once, and
// the string file (.85s), which is the case of one string.
//
//   offset  size  value
//   0       8     "**TI85**", then 1A 0C 00
//   11      42    comment
//   53      2     data-section length: the bytes from 55 up to the checksum
//   55            the entries, one after another; each:
//                   2  n + 4, entry-header bytes after this field
//                   2  D, data length
//                   1  type
//                   1  n, name length
//                   n  name
//                   2  D again
//                   D  data (a string's: its length word, then its body)
//   55 + section  2     checksum: the data section's bytes added up, modulo 65536
//
// The reader is as strict as `vellum-cli check` is with a string file, but it
// keeps every entry it could locate whole, so a lenient caller can still use
// them. The writer lays out entries as the string writer lays out its one.

#include "core/Charset.h"
#include "core/Outcome.h"
#include "formats/StringFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

namespace variablefile {

// The data-section length is an unsigned 16-bit field.
inline constexpr std::size_t kMaxSectionLength = 0xFFFF;
// No sound file is longer than this; nothing past it is ever read.
inline constexpr std::size_t kReadLimit = stringfile::kSectionOffset + kMaxSectionLength + 2;
// An entry's bytes besides its name and data.
inline constexpr std::size_t kEntryFixedBytes = 8;

} // namespace variablefile

// The extension of a group file.
inline constexpr const char* kGroupFileExtension = ".85g";

// True when the path ends in ".85g", any case.
bool isGroupPath(std::string_view path);

struct VariableEntry {
    std::uint8_t type = 0;
    Bytes name;             // as stored
    Bytes data;             // the variable's data, for a string its length word and body
    std::size_t offset = 0; // of the entry's first byte in the file
};

struct VariableFile {
    Bytes comment;                      // the 42 bytes, when the header is whole
    std::vector<VariableEntry> entries; // each entry located whole, in order
    std::string problem;                // the first thing wrong; empty when sound

    bool sound() const { return problem.empty(); }
};

// Reads a file of fileSize bytes whose first bytes are head (the whole file,
// or at least its first variablefile::kReadLimit bytes).
VariableFile readVariableFile(std::string_view head, std::uint64_t fileSize);

inline VariableFile readVariableFile(std::string_view file) {
    return readVariableFile(file, file.size());
}

// What the TI-85 calls a variable of this type ("string", "real number"...);
// empty for a type the calculator does not have.
std::string_view ti85TypeName(std::uint8_t type);
// The name, or "type 0xNN" for a type the calculator does not have.
std::string describeType(std::uint8_t type);

// A string variable's data for the Data the string writer takes (00 EF, then
// the text): the string's length word, Data, and the closing 00 00.
Bytes stringVariableData(std::string_view stringData);

// The whole file: signature, the 42-byte comment, the entries in order, the
// checksum. Fails with ENAMETOOLONG when a name is longer than 255 bytes, and
// with EFBIG when the data section would pass its 16-bit length.
Result<Bytes> layOutVariableFile(std::string_view comment,
                                 const std::vector<VariableEntry>& entries);

// The bytes the data section of these entries takes.
std::size_t sectionLength(const std::vector<VariableEntry>& entries);

// The file that would carry this entry alone, with the group's comment: what
// the string checker, reader and decompiler take.
Bytes fileOfEntryAlone(const VariableFile& file, const VariableEntry& entry);

} // namespace vellum
