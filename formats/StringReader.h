#pragma once
// Reading a TI-85 string file back into a variable name and a text.
//
// The reader looks at a handful of fixed positions of the file the writer
// lays out (formats/StringFile.*): the name length at offset 60, the name at
// 61, the string's length word at 63 + n and the marker byte 0xEF at 66 + n.
// It checks nothing else; `vellum-cli check` (formats/StringCheck.h) is the
// strict validator.
//
// decodeStringFile is pure: the bytes of the file (or only its first
// kStringReadLimit bytes) in, a name and a text, a refusal or a failure out.

#include "core/Charset.h"
#include "core/Outcome.h"
#include "formats/StringFile.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vellum {

// What a string file carries.
struct DecodedString {
    Bytes name; // lower-cased, as stored otherwise (not cut to 8)
    Bytes text; // NULs removed, every LF turned into CR LF
};

// The calculator-side loader counts positions from 1 in a byte, so neither
// the marker (offset 66 + n) nor the start of the text (67 + n) can lie
// beyond offset 254. Names of up to 187 bytes can therefore be read.
inline constexpr std::size_t kLastReadableOffset = 254;
constexpr std::size_t textOffset(std::size_t n) {
    return stringfile::markerOffset(n) + 1;
}
// The string's length word is signed: longer strings cannot be read.
inline constexpr std::size_t kMaxReadableStringLength = 0x7FFF;
// The reader never looks past this many bytes of a file: the text of the
// longest readable name (187) with the longest length word (0x7FFF).
inline constexpr std::size_t kStringReadLimit = textOffset(187) + kMaxReadableStringLength - 2;

// Decodes a string file. Bytes missing at the end of a short file read as 0
// (so a missing text tail vanishes with the NUL removal). Its failure, with
// EINVAL and a reason, is of kind Refused where the 0xEF marker is missing,
// and of kind System where the positions or the length cannot be used.
Result<DecodedString> decodeStringFile(std::string_view file);

} // namespace vellum
