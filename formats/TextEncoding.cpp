#include "formats/TextEncoding.h"

#include "core/Charset.h"
#include "core/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace vellum {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// The code point that starts at i, strictly; advances i past it. An invalid
// sequence gives U+FFFD and advances past its longest valid-looking start, so
// that the next character is read where a decoder would resynchronise.
char32_t nextCodePoint(std::string_view bytes, std::size_t& i, bool& valid) {
    const utf8::Sequence sequence = utf8::sequenceAt(bytes, i);
    i += sequence.length;
    valid = sequence.valid;
    return sequence.valid ? sequence.codePoint : kReplacement;
}

// Printable ASCII and line ends only: no byte that only a calculator code
// explains (controls, tab, DEL, bytes above 0x7F).
bool isPrintableAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if ((c < 0x20 || c > 0x7E) && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

std::size_t printableAsciiRun(std::string_view bytes, std::size_t from) {
    std::size_t end = from;
    while (end < bytes.size() && byteAt(bytes, end) >= 0x20 && byteAt(bytes, end) <= 0x7E) {
        ++end;
    }
    return end - from;
}

bool isLineEnd(char32_t ch) {
    return ch == U'\r' || ch == U'\n' || ch == kLineSeparator || ch == kParagraphSeparator;
}

void forEachCalculatorLine(std::string_view file,
                           const std::function<void(std::string_view)>& onLine) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != '\r' && file[i] != '\n') {
            continue;
        }
        onLine(file.substr(start, i - start));
        if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
            ++i; // CR LF is one line end
        }
        start = i + 1;
    }
    if (start < file.size()) {
        onLine(file.substr(start));
    }
}

void forEachUtf8Line(std::string_view file, const std::function<void(std::string_view)>& onLine,
                     std::size_t& replaced, std::size_t& folded) {
    std::size_t i = file.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
    Bytes line;
    bool open = false; // characters have been read since the last line end
    while (i < file.size()) {
        // Printable ASCII is the calculator's own byte: copied a run at a time.
        const std::size_t run = printableAsciiRun(file, i);
        if (run > 0) {
            line.append(file, i, run);
            i += run;
            open = true;
            continue;
        }
        bool valid = true;
        const char32_t ch = nextCodePoint(file, i, valid);
        if (isLineEnd(ch)) {
            if (ch == U'\r' && i < file.size() && file[i] == '\n') {
                ++i;
            }
            onLine(line);
            line.clear();
            open = false;
            continue;
        }
        open = true;
        const std::optional<std::uint8_t> byte = valid ? Charset::equivalent(ch) : std::nullopt;
        if (!byte) {
            ++replaced;
        } else if (Charset::toDisplay(*byte) != ch) {
            ++folded;
        }
        line.push_back(static_cast<char>(byte.value_or(Charset::kUnknownByte)));
    }
    if (open) {
        onLine(line);
    }
}

} // namespace

bool isUtf8Text(std::string_view bytes) {
    const bool multiByte = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return multiByte && utf8::isWellFormed(bytes);
}

TextEncoding detectEncoding(std::string_view bytes, std::optional<TextEncoding> asked) {
    if (asked) {
        return *asked;
    }
    return isUtf8Text(bytes) || isPrintableAscii(bytes) ? TextEncoding::Utf8
                                                        : TextEncoding::Calculator;
}

void forEachDecodedLine(std::string_view file, TextEncoding encoding,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced) {
    std::size_t folded = 0;
    forEachDecodedLine(file, encoding, onLine, replaced, folded);
}

void forEachDecodedLine(std::string_view file, TextEncoding encoding,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced, std::size_t& folded) {
    if (encoding == TextEncoding::Utf8) {
        forEachUtf8Line(file, onLine, replaced, folded);
    } else {
        forEachCalculatorLine(file, onLine);
    }
}

std::string encodeForFile(std::string_view documentBytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Calculator) {
        return std::string(documentBytes);
    }
    std::u32string chars;
    chars.reserve(documentBytes.size());
    for (std::size_t i = 0; i < documentBytes.size(); ++i) {
        if (documentBytes[i] == '\r' && i + 1 < documentBytes.size() &&
            documentBytes[i + 1] == '\n') {
            chars += U"\r\n";
            ++i;
        } else {
            chars.push_back(Charset::toDisplay(byteAt(documentBytes, i)));
        }
    }
    return Charset::toUtf8(chars);
}

} // namespace vellum
