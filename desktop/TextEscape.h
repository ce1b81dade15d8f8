#pragma once
// Escaping text for the files start-up writes (registry store, desktop
// entry, MIME package): each listed character becomes its replacement.

#include "core/Utf8.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace vellum {

// With hexBytes, any other control character, and every byte that is not
// part of well-formed UTF-8, becomes \xHH.
inline std::string
escapeCharacters(std::string_view text,
                 std::initializer_list<std::pair<char, std::string_view>> replacements,
                 bool hexBytes = false) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const auto* match = replacements.begin();
        while (match != replacements.end() && match->first != c) {
            ++match;
        }
        std::size_t length = 1; // 0: a byte of no well-formed sequence
        if (hexBytes) {
            const utf8::Sequence sequence = utf8::sequenceAt(text, i);
            length = sequence.valid ? sequence.length : 0;
        }
        if (match != replacements.end()) {
            out += match->second;
        } else if (hexBytes && (byte < 0x20 || byte == 0x7F || length == 0)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += text.substr(i, length); // a character of several bytes stays whole
            i += length - 1;
        }
    }
    return out;
}

} // namespace vellum
