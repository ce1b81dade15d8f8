#pragma once
// Strict validation of a TI-85 string file, for `vellum-cli check`.
//
// The editor's reader looks only at the marker byte; this checks everything
// the file layout promises: the signature and the three bytes after it, a
// single variable entry of the string type, every length against the others
// and against the file size, and the checksum. It then says whether the
// string has the viewer's layout (00 EF, the text, 00 00) within the name and
// string lengths that the editor's reader can read.

#include "core/Charset.h"
#include "formats/StringFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellum {

struct StringCheckResult {
    bool valid = false;
    std::string problem; // the first thing wrong, when not valid
    // For a valid file:
    Bytes name; // the variable name as stored
    std::size_t stringLength = 0;
    bool viewerLayout = false; // 00 EF ... 00 00, and the editor reads it
    std::string layoutProblem; // why not, when not
};

// No valid file is longer than this: the data-section length is 16 bits.
inline constexpr std::size_t kCheckReadLimit = stringfile::kSectionOffset + 0xFFFF + 2;

// Checks a file of fileSize bytes whose first bytes are head (the whole file,
// or at least its first kCheckReadLimit bytes).
StringCheckResult checkStringFile(std::string_view head, std::uint64_t fileSize);

inline StringCheckResult checkStringFile(std::string_view file) {
    return checkStringFile(file, file.size());
}

} // namespace vellum
