#pragma once
// What each calculator byte is called, for people: the character map's tips.

#include <cstdint>
#include <string_view>

namespace vellum {

// The name of the character byte displays as (see Charset::toDisplay): its
// Unicode name, such as "GREEK SMALL LETTER THETA" for 0xC1, or for a
// calculator glyph without a Unicode equivalent a name of ours that starts
// with "TI-85", such as "TI-85 BINARY SUFFIX b" for 0x01. Empty for byte 0.
std::string_view characterName(std::uint8_t byte);

} // namespace vellum
