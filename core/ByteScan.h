#pragma once
// Searches for line ends and other bytes in a text, sixteen bytes a step
// where the processor compares that many at once (eight elsewhere). Texts
// hold a line end every few dozen bytes, where a library search pays its
// start-up cost on every line, and a document passes through several such
// searches on its way to the calculator.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellum::bytescan {

// The position of the first CR LF pair at or after from (of its CR);
// std::string_view::npos when there is none.
std::size_t findCrLf(std::string_view text, std::size_t from);

// The same for the first CR or LF.
std::size_t findLineBreak(std::string_view text, std::size_t from);

// The same for the first line end that is no CR LF pair: a CR that no LF
// follows, or an LF that no CR precedes (both within text).
std::size_t findLoneLineEnd(std::string_view text, std::size_t from);

// The same for the first byte that is no printable ASCII (0x20 to 0x7E).
std::size_t findNotPrintable(std::string_view text, std::size_t from);

// The same for the first byte that is neither printable ASCII nor CR, LF or
// NUL: what no plain text holds.
std::size_t findNotPlainText(std::string_view text, std::size_t from);

// The same for the first byte from 0x80 up.
std::size_t findHighByte(std::string_view text, std::size_t from);

// How many CR LF pairs the text holds.
std::size_t countCrLf(std::string_view text);

// The sum of the text's bytes, each taken as 0 to 255.
std::uint64_t sumBytes(std::string_view text);

} // namespace vellum::bytescan
