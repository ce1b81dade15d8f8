#pragma once
// Searches for line ends in a text, eight bytes a step. Texts hold a line
// end every few dozen bytes, where a library search pays its start-up cost
// on every line.

#include <cstddef>
#include <string_view>

namespace vellum::bytescan {

// The position of the first byte at or after from that equals byte;
// std::string_view::npos when there is none.
std::size_t find(std::string_view text, std::size_t from, char byte);

// The same for the first CR or LF.
std::size_t findLineBreak(std::string_view text, std::size_t from);

} // namespace vellum::bytescan
