#include "Charset.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace vellum {
namespace {

constexpr char32_t S = Charset::kStandInBase; // stand-in: S + byte

// Display characters of bytes 0x00..0xFF, read off the calculator's glyph
// chart. Entries of the form S + code are glyphs without a faithful Unicode
// character (hex digits, base suffixes, cursors, duplicates of other glyphs).
constexpr std::array<char32_t, 256> kDisplay = {
    // 0x00: NUL never reaches the text; the rest are base suffixes, arrows, ∫, ×, hex A-F
    0xFFFD, S + 0x01, S + 0x02, S + 0x03, S + 0x04, 0x25B6, 0x2B06, 0x2B07,
    0x222B, 0x00D7, S + 0x0A, S + 0x0B, S + 0x0C, S + 0x0D, S + 0x0E, S + 0x0F,
    // 0x10: √ ⁻¹ ² ∠ ° ʳ ᵀ ≤ ≠ ≥ ⁻ ᴇ → ⏨ ↑ ↓
    0x221A, S + 0x11, 0x00B2, 0x2220, 0x00B0, 0x02B3, 0x1D40, 0x2264,
    0x2260, 0x2265, 0x207B, 0x1D07, 0x2192, 0x23E8, 0x2191, 0x2193,
    // 0x20..0x7E: ASCII, filled in below; 0x7F is an inverted cursor glyph
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E,
    S + 0x7F,
    // 0x80: subscript digits ₀..₉, then Á À Â Ä á à
    0x2080, 0x2081, 0x2082, 0x2083, 0x2084, 0x2085, 0x2086, 0x2087,
    0x2088, 0x2089, 0x00C1, 0x00C0, 0x00C2, 0x00C4, 0x00E1, 0x00E0,
    // 0x90: â ä É È Ê Ë é è ê ë Í Ì Î Ï í ì
    0x00E2, 0x00E4, 0x00C9, 0x00C8, 0x00CA, 0x00CB, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00CD, 0x00CC, 0x00CE, 0x00CF, 0x00ED, 0x00EC,
    // 0xA0: î ï Ó Ò Ô Ö ó ò ô ö Ú Ù Û Ü ú ù
    0x00EE, 0x00EF, 0x00D3, 0x00D2, 0x00D4, 0x00D6, 0x00F3, 0x00F2,
    0x00F4, 0x00F6, 0x00DA, 0x00D9, 0x00DB, 0x00DC, 0x00FA, 0x00F9,
    // 0xB0: û ü Ç ç Ñ ñ ´ ˋ ¨ ¿ ¡ α β γ Δ δ
    0x00FB, 0x00FC, 0x00C7, 0x00E7, 0x00D1, 0x00F1, 0x00B4, 0x02CB,
    0x00A8, 0x00BF, 0x00A1, 0x03B1, 0x03B2, 0x03B3, 0x0394, 0x03B4,
    // 0xC0: ε θ λ μ π ρ Σ σ τ ϕ Ω x̄ ȳ ˣ … ◀
    0x03B5, 0x03B8, 0x03BB, 0x03BC, 0x03C0, 0x03C1, 0x03A3, 0x03C3,
    0x03C4, 0x03D5, 0x03A9, S + 0xCB, 0x0233, 0x02E3, 0x2026, 0x25C0,
    // 0xD0: ▪ ∕ − (² ° again) ³ (newline, busy mark, cursors)
    0x25AA, 0x2215, 0x2212, S + 0xD3, S + 0xD4, 0x00B3, S + 0xD6, S + 0xD7,
    S + 0xD8, S + 0xD9, S + 0xDA, S + 0xDB, S + 0xDC, S + 0xDD, S + 0xDE, S + 0xDF,
    // 0xE0..0xFF: no glyph of their own on the calculator
    S + 0xE0, S + 0xE1, S + 0xE2, S + 0xE3, S + 0xE4, S + 0xE5, S + 0xE6, S + 0xE7,
    S + 0xE8, S + 0xE9, S + 0xEA, S + 0xEB, S + 0xEC, S + 0xED, S + 0xEE, S + 0xEF,
    S + 0xF0, S + 0xF1, S + 0xF2, S + 0xF3, S + 0xF4, S + 0xF5, S + 0xF6, S + 0xF7,
    S + 0xF8, S + 0xF9, S + 0xFA, S + 0xFB, S + 0xFC, S + 0xFD, S + 0xFE, S + 0xFF,
};

// Characters that have no byte of their own but a close one on the calculator.
constexpr std::pair<char32_t, std::uint8_t> kFolds[] = {
    // spaces, dashes and quotes of word processors
    {0x00A0, ' '}, {0x2002, ' '}, {0x2003, ' '}, {0x2009, ' '}, {0x202F, ' '},
    {0x2010, '-'}, {0x2011, '-'}, {0x2013, '-'}, {0x2014, '-'},
    {0x2018, '\''}, {0x2019, '\''}, {0x2032, '\''}, {0x201C, '"'}, {0x201D, '"'}, {0x2033, '"'},
    {0x00AB, '<'}, {0x00BB, '>'}, {0x2039, '<'}, {0x203A, '>'},
    // look-alike symbols
    {0x00B5, 0xC3}, {0x03C6, 0xC9}, {0x2126, 0xCA}, {0x2206, 0xBE}, {0x22BA, 0x16},
    {0x25BA, 0x05}, {0x25B8, 0x05}, {0x25C4, 0xCF}, {0x25C2, 0xCF}, {0x25A0, 0xD0},
    {0x2044, 0xD1}, {0x00F7, '/'}, {0x2217, '*'}, {0x22C5, '*'}, {0x00B9, '1'},
    // Latin letters the calculator lacks, without their marks
    {0x00C3, 'A'}, {0x00C5, 'A'}, {0x00C6, 'A'}, {0x00D0, 'D'}, {0x00D5, 'O'},
    {0x00D8, 'O'}, {0x00DD, 'Y'}, {0x00E3, 'a'}, {0x00E5, 'a'}, {0x00E6, 'a'},
    {0x00F0, 'd'}, {0x00F5, 'o'}, {0x00F8, 'o'}, {0x00FD, 'y'}, {0x00FF, 'y'},
};

struct ReverseEntry {
    char32_t ch;
    std::uint8_t byte;
};

// Display characters and folds, sorted by character for binary search.
const std::vector<ReverseEntry>& reverseTable() {
    static const std::vector<ReverseEntry> table = [] {
        std::vector<ReverseEntry> entries;
        for (int b = 1; b < 256; ++b) {
            entries.push_back({kDisplay[b], static_cast<std::uint8_t>(b)});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const ReverseEntry& a, const ReverseEntry& b) { return a.ch < b.ch; });
        return entries;
    }();
    return table;
}

const std::vector<ReverseEntry>& foldTable() {
    static const std::vector<ReverseEntry> table = [] {
        std::vector<ReverseEntry> entries;
        for (const auto& [ch, byte] : kFolds) {
            entries.push_back({ch, byte});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const ReverseEntry& a, const ReverseEntry& b) { return a.ch < b.ch; });
        return entries;
    }();
    return table;
}

// The characters below U+0400 (ASCII, Latin-1, Greek: most of what a text
// holds beside ASCII) find their byte with one look; 0 where there is none.
constexpr char32_t kDirectEnd = 0x400;

struct DirectTables {
    std::array<std::uint8_t, kDirectEnd> exact{};
    std::array<std::uint8_t, kDirectEnd> folded{};
};

const DirectTables& directTables() {
    static const DirectTables tables = [] {
        DirectTables made;
        for (int b = 1; b < 256; ++b) {
            if (kDisplay[b] < kDirectEnd) {
                made.exact[kDisplay[b]] = static_cast<std::uint8_t>(b);
            }
        }
        for (const auto& [ch, byte] : kFolds) {
            if (ch < kDirectEnd) {
                made.folded[ch] = byte;
            }
        }
        return made;
    }();
    return tables;
}

std::optional<std::uint8_t> direct(const std::array<std::uint8_t, kDirectEnd>& table, char32_t ch) {
    return table[ch] != 0 ? std::optional<std::uint8_t>(table[ch]) : std::nullopt;
}

std::optional<std::uint8_t> lookup(const std::vector<ReverseEntry>& table, char32_t ch) {
    auto it = std::lower_bound(table.begin(), table.end(), ch,
                               [](const ReverseEntry& e, char32_t c) { return e.ch < c; });
    if (it != table.end() && it->ch == ch) {
        return it->byte;
    }
    return std::nullopt;
}

// Simple case mapping for the scripts the calculator has: ASCII, Latin-1 and Greek.
char32_t lowerCase(char32_t ch) {
    if (ch >= U'A' && ch <= U'Z') {
        return ch + 0x20;
    }
    if (ch >= 0x00C0 && ch <= 0x00DE && ch != 0x00D7) {
        return ch + 0x20;
    }
    if (ch >= 0x0391 && ch <= 0x03A9 && ch != 0x03A2) {
        return ch + 0x20;
    }
    return ch;
}

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;

} // namespace

char32_t Charset::toDisplay(std::uint8_t byte) { return kDisplay[byte]; }

std::optional<std::uint8_t> Charset::fromDisplay(char32_t ch) {
    if (ch >= 0x20 && ch <= 0x7E) {
        return static_cast<std::uint8_t>(ch);
    }
    return ch < kDirectEnd ? direct(directTables().exact, ch) : lookup(reverseTable(), ch);
}

std::uint8_t Charset::fromTyped(char32_t ch) {
    return equivalent(ch).value_or(kUnknownByte);
}

std::optional<std::uint8_t> Charset::equivalent(char32_t ch) {
    if (auto exact = fromDisplay(ch)) {
        return exact;
    }
    if (auto folded =
            ch < kDirectEnd ? direct(directTables().folded, ch) : lookup(foldTable(), ch)) {
        return folded;
    }
    // Raw control characters (a pasted tab, say) stand for the byte of the
    // same value, as they would in a single-byte code page.
    if (ch >= 0x01 && ch <= 0x1F) {
        return static_cast<std::uint8_t>(ch);
    }
    if (ch >= 0xFF01 && ch <= 0xFF5E) { // full-width ASCII
        return static_cast<std::uint8_t>(ch - 0xFF01 + 0x21);
    }
    return std::nullopt;
}

std::u32string Charset::decodeText(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out.push_back(U'\n');
            ++i;
        } else {
            out.push_back(kDisplay[byte]);
        }
    }
    return out;
}

Bytes Charset::encodeText(std::u32string_view text, std::size_t* replaced) {
    Bytes out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t ch = text[i];
        if (ch >= 0x20 && ch <= 0x7E) {
            out.push_back(static_cast<char>(ch));
        } else if (ch == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') {
            out += "\r\n";
            ++i;
        } else if (ch == U'\n' || ch == kLineSeparator || ch == kParagraphSeparator) {
            out += "\r\n";
        } else {
            const std::optional<std::uint8_t> byte = equivalent(ch);
            if (!byte && replaced != nullptr) {
                ++*replaced;
            }
            out.push_back(static_cast<char>(byte.value_or(kUnknownByte)));
        }
    }
    return out;
}

std::uint8_t Charset::toLower(std::uint8_t byte) {
    if (byte == 0) {
        return 0;
    }
    const char32_t lower = lowerCase(kDisplay[byte]);
    if (lower == kDisplay[byte]) {
        return byte;
    }
    return fromDisplay(lower).value_or(byte);
}

Bytes Charset::toLower(std::string_view bytes) {
    Bytes out(bytes);
    for (char& c : out) {
        c = static_cast<char>(toLower(static_cast<std::uint8_t>(c)));
    }
    return out;
}

std::string Charset::toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t ch : text) {
        if (ch < 0x80) {
            out.push_back(static_cast<char>(ch));
        } else if (ch < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
            out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        } else if (ch < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
            out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
            out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        }
    }
    return out;
}

std::u32string Charset::fromUtf8(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t ch = 0;
        if (lead < 0x80) {
            ch = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            ch = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            ch = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            ch = lead & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD); // stray continuation or invalid lead byte
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= utf8.size()) {
            out.push_back(0xFFFD); // sequence cut off by the end of the text
            break;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            ch = (ch << 6) | (cont & 0x3F);
        }
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(ch);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace vellum
