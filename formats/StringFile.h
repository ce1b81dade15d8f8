#pragma once
// The TI-85 string file (.85s) as Vellum writes it, and the string body that
// the calculator-side viewer Scrollet displays.
//
// A file carries one string variable:
//
//   offset      size  value
//   0           8     "**TI85**"
//   8           3     1A 0C 00
//   11          42    comment, padded with spaces
//   53          2     data-section length, n + L + 12 (bytes 55 up to the checksum)
//   55          2     n + 4, entry-header bytes after this field
//   57          2     L + 4, variable data length
//   59          1     0C, the string type
//   60          1     n, name length
//   61          n     variable name
//   61 + n      2     L + 4 again
//   63 + n      2     L + 2, string length
//   65 + n      L     Data: 00 EF, then the text with LF line ends
//   65 + n + L  2     00 00, end of the string
//   67 + n + L  2     checksum: sum of bytes 55 .. 66 + n + L, modulo 65536
//
// n is the name length, L the length of Data. 16-bit fields are little
// endian. Lengths and positions are signed 16-bit on the calculator side, so a
// file holds at most 32,767 bytes: n + L <= 32,698.

#include "core/Charset.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellum {

namespace stringfile {

inline constexpr std::string_view kSignature = "**TI85**";
inline constexpr std::size_t kSignatureTailOffset = 8;
inline constexpr std::string_view kSignatureTail{"\x1A\x0C\x00", 3};
inline constexpr std::size_t kCommentOffset = 11;
inline constexpr std::size_t kCommentLength = 42;
inline constexpr std::size_t kSectionLengthOffset = 53;
// The data section, which the checksum covers, starts here.
inline constexpr std::size_t kSectionOffset = 55;
inline constexpr std::size_t kEntryHeaderLengthOffset = 55;
inline constexpr std::size_t kDataLengthOffset = 57;
inline constexpr std::size_t kTypeOffset = 59;
inline constexpr std::size_t kNameLengthOffset = 60;
inline constexpr std::size_t kNameOffset = 61;

inline constexpr std::uint8_t kStringType = 0x0C;
// The string body starts with 00 EF; the viewer recognises its strings by the EF.
inline constexpr std::string_view kLeadIn{"\x00\xEF", 2};
inline constexpr std::uint8_t kScrolletMarker = 0xEF;
inline constexpr std::string_view kStringEnd{"\x00\x00", 2};

inline constexpr std::size_t kMaxFileSize = 32767;
inline constexpr std::size_t kMaxStoredNameLength = 255; // one length byte
// Bytes of a file besides the name and Data.
inline constexpr std::size_t kFixedBytes = 69;
inline constexpr std::size_t kMaxNamePlusData = kMaxFileSize - kFixedBytes; // 32,698

// The length fields. The entry header is the data length, the type, the name
// length and the name; the variable data is the string length, Data and 00 00.
constexpr std::size_t entryHeaderLength(std::size_t n) {
    return n + 4;
}
constexpr std::size_t dataLengthOfString(std::size_t stringLength) {
    return stringLength + 2;
}
constexpr std::size_t stringLength(std::size_t L) {
    return L + 2;
}
constexpr std::size_t dataLength(std::size_t L) {
    return dataLengthOfString(stringLength(L));
}
// The data section: each of the two parts behind its own 16-bit length field.
constexpr std::size_t sectionLengthOf(std::size_t headerLength, std::size_t dataLength) {
    return 2 + headerLength + 2 + dataLength;
}
constexpr std::size_t sectionLength(std::size_t n, std::size_t L) {
    return sectionLengthOf(entryHeaderLength(n), dataLength(L));
}

constexpr std::size_t repeatedDataLengthOffset(std::size_t n) {
    return kNameOffset + n;
}
constexpr std::size_t stringLengthOffset(std::size_t n) {
    return repeatedDataLengthOffset(n) + 2;
}
constexpr std::size_t dataOffset(std::size_t n) {
    return stringLengthOffset(n) + 2;
}
constexpr std::size_t markerOffset(std::size_t n) {
    return dataOffset(n) + 1;
}
// The checksum follows the data section, which it covers.
constexpr std::size_t checksumOffsetAfter(std::size_t section) {
    return kSectionOffset + section;
}
constexpr std::size_t checksumOffset(std::size_t n, std::size_t L) {
    return checksumOffsetAfter(sectionLength(n, L));
}
constexpr std::size_t fileSize(std::size_t n, std::size_t L) {
    return checksumOffset(n, L) + 2;
}
static_assert(fileSize(0, 0) == kFixedBytes);

// The checksum of a data section: the sum of its bytes, modulo 65536.
std::uint16_t checksum(std::string_view section);

// 16-bit little-endian fields. A missing byte reads as zero.
std::string littleEndian16(std::uint16_t value);
std::uint16_t readLittleEndian16(std::string_view bytes);

} // namespace stringfile

// The extension of a string file.
inline constexpr const char* kStringFileExtension = ".85s";

// The comment starts with this; the time and date follow.
inline constexpr std::string_view kCommentPrefix = "Created by Vellum on ";

// The editor's text with every CR LF pair turned into one LF, scanning from
// the start; a lone CR or LF stays.
Bytes toLfLineEnds(std::string_view text);

// Data for the writer: 00 EF, then the text with LF line ends.
Bytes buildStringData(std::string_view text);

// The 42-byte comment: the prefix, the time, a space and the date (UTF-8 texts
// from the clock, each character turned into one calculator byte), cut after
// 42 bytes or padded with spaces.
Bytes buildComment(std::string_view timeUtf8, std::string_view dateUtf8);

} // namespace vellum
