#pragma once
// The string writer: lays out a TI-85 string file (formats/StringFile.h) step
// by step, seventeen numbered steps, and asks the user about every step that
// fails.

#include "commands/Services.h"
#include "core/Charset.h"

#include <string>

namespace vellum {

namespace io {
class ByteFiles;
}

// The number of the failure of a length or position beyond the file limit
// (messages::kOverflow).
inline constexpr int kOverflowNumber = 6;

// What the writer uses of its surroundings.
struct StringWriterServices {
    io::ByteFiles& files;
    MessageBoxes& boxes;
    Clock& clock;
};

// Writes the file for the variable name and Data at path, step by step, into
// a staging file that a last step puts in path's place. A failing step shows
// the failure box; Yes goes on with the next step, No deletes the staging
// file and ends, leaving whatever was at path untouched. Done when no step
// failed, else the first failure.
CommandOutcome writeStringFile(StringWriterServices services, const std::string& path,
                               const Bytes& name, const Bytes& data);

} // namespace vellum
