#pragma once
// The TI-85 character set as the editor shows it.
//
// A document is a string of bytes 1..255. Widgets show Unicode, so every byte
// has exactly one display character and every display character exactly one
// byte. Bytes whose calculator glyph has a clear Unicode equivalent display as
// that character; the others display as stand-ins from the Private Use Area
// (U+E000 + byte), which the shipped calculator font draws.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

using Bytes = std::string; // calculator bytes, one char per byte

class Charset {
  public:
    // First code point of the Private Use Area stand-ins: byte b uses kStandInBase + b.
    static constexpr char32_t kStandInBase = 0xE000;
    // What a typed character becomes when nothing in the set resembles it.
    static constexpr std::uint8_t kUnknownByte = '?';

    // The display character of a byte. Byte 0 has none and yields U+FFFD.
    static char32_t toDisplay(std::uint8_t byte);
    // The byte that displays as exactly this character, if any.
    static std::optional<std::uint8_t> fromDisplay(char32_t ch);
    // The byte for a typed or pasted character: its exact byte, else a close
    // fold, else '?'. Never 0. Line breaks are not handled here (see encodeText).
    static std::uint8_t fromTyped(char32_t ch);
    // The same without the last resort: none when nothing in the set fits and
    // the character would become '?'.
    static std::optional<std::uint8_t> equivalent(char32_t ch);

    // Whole texts. In display form a CR LF pair is one '\n'; a lone CR or LF
    // shows as the stand-in of its byte, so it stays visible and distinct.
    static std::u32string decodeText(std::string_view bytes);
    // The inverse of decodeText for display text, with folds for anything
    // typed or pasted: '\n', "\r\n", U+2028 and U+2029 become CR LF. When
    // asked, counts the characters that had no equivalent and became '?'.
    static Bytes encodeText(std::u32string_view text, std::size_t* replaced = nullptr);

    // Lower-casing through the display characters: a byte whose lower-case
    // character has a byte of its own becomes that byte; others stay.
    static std::uint8_t toLower(std::uint8_t byte);
    static Bytes toLower(std::string_view bytes);

    // UTF-8 conversions for places that speak UTF-8 (terminal, file names).
    static std::string toUtf8(std::u32string_view text);
    static std::u32string fromUtf8(std::string_view utf8);
};

} // namespace vellum
