#pragma once
// Escaping text for the files start-up writes (registry store, desktop
// entry, MIME package): each listed character becomes its replacement.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace vellum {

// With hexControls, any other control character becomes \xHH.
inline std::string
escapeCharacters(std::string_view text,
                 std::initializer_list<std::pair<char, std::string_view>> replacements,
                 bool hexControls = false) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const auto* match = replacements.begin();
        while (match != replacements.end() && match->first != c) {
            ++match;
        }
        if (match != replacements.end()) {
            out += match->second;
        } else if (hexControls && (byte < 0x20 || byte == 0x7F)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace vellum
