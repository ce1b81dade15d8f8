#pragma once
// Escaping text for the files start-up writes (registry store, desktop
// entry, MIME package): each listed character becomes its replacement.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace vellum {

// The length of the well-formed UTF-8 sequence that starts text[at]: 1 to 4,
// or 0 where the bytes there are no such sequence (a stray continuation byte,
// a cut or overlong sequence, a surrogate, a code point above U+10FFFF).
inline std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    const auto continues = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(at + i) >= low && byte(at + i) <= high;
    };
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continues(1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continues(1, low, high) && continues(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(1, low, high) && continues(2) && continues(3) ? 4 : 0;
    }
    return 0;
}

inline bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

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
        const std::size_t length = hexBytes ? utf8SequenceLength(text, i) : 1;
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
