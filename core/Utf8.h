#pragma once
// Strict UTF-8: the one decoder behind the text documents' encoding check and
// the escaping of the files start-up writes.

#include <cstddef>
#include <string_view>

namespace vellum::utf8 {

// The sequence that starts at text[at]. A well-formed one (no overlong form,
// surrogate or code point past U+10FFFF) is valid, with its length (1 to 4)
// and code point. Otherwise length covers the longest start of a well-formed
// sequence there (at least the one byte): where a decoder picks up again.
struct Sequence {
    std::size_t length = 1;
    char32_t codePoint = 0;
    bool valid = false;
};
Sequence sequenceAt(std::string_view text, std::size_t at);

// Whether text is well-formed UTF-8 throughout.
bool isWellFormed(std::string_view text);

} // namespace vellum::utf8
