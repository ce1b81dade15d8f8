#include "formats/TextEncoding.h"

#include "core/ByteScan.h"
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

// What a file holds besides printable ASCII, NUL and line ends.
struct ByteKinds {
    bool high = false;  // bytes from 0x80: calculator codes or UTF-8 sequences
    bool other = false; // control bytes but NUL, DEL, or high bytes: plain text has none

    // Printable ASCII, NUL and line ends only: every byte reads the same in
    // both encodings, and a line is the bytes between two line ends.
    bool plain() const { return !other; }
};

// The first byte that is not plain text decides "other"; a high byte can
// only stand at or after it (it is no plain text either).
ByteKinds kindsIn(std::string_view bytes) {
    const std::size_t odd = bytescan::findNotPlainText(bytes, 0);
    if (odd == std::string_view::npos) {
        return {};
    }
    return {bytescan::findHighByte(bytes, odd) != std::string_view::npos, true};
}

std::size_t printableAsciiRun(std::string_view bytes, std::size_t from) {
    return std::min(bytescan::findNotPrintable(bytes, from), bytes.size()) - from;
}

// A NUL byte has no character of the calculator's (it never reaches a
// string), but a document read as calculator codes may hold one: a UTF-8 file
// keeps it as the NUL character, which reads back as that byte.
char32_t fileCharacter(std::uint8_t byte) {
    return byte == 0 ? U'\0' : Charset::toDisplay(byte);
}

std::optional<std::uint8_t> calculatorByte(char32_t ch) {
    return ch == U'\0' ? std::optional<std::uint8_t>(0) : Charset::equivalent(ch);
}

bool isLineEnd(char32_t ch) {
    return ch == U'\r' || ch == U'\n' || ch == kLineSeparator || ch == kParagraphSeparator;
}

void forEachCalculatorLine(std::string_view file,
                           const std::function<void(std::string_view)>& onLine) {
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = bytescan::findLineBreak(file, start);
        if (end == std::string_view::npos) {
            onLine(file.substr(start));
            return;
        }
        onLine(file.substr(start, end - start));
        const bool crLf = file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n';
        start = end + (crLf ? 2 : 1); // CR LF is one line end
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
        const std::optional<std::uint8_t> byte = valid ? calculatorByte(ch) : std::nullopt;
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
    return kindsIn(bytes).high && utf8::isWellFormed(bytes);
}

FileReading readingOf(std::string_view bytes, std::optional<TextEncoding> asked) {
    if (asked == TextEncoding::Calculator) {
        return {TextEncoding::Calculator, false};
    }
    const ByteKinds kinds = kindsIn(bytes);
    if (asked == TextEncoding::Utf8) {
        return {TextEncoding::Utf8, !kinds.plain()};
    }
    if (kinds.high) {
        return utf8::isWellFormed(bytes) ? FileReading{TextEncoding::Utf8, true}
                                         : FileReading{TextEncoding::Calculator, false};
    }
    return kinds.plain() ? FileReading{TextEncoding::Utf8, false}
                         : FileReading{TextEncoding::Calculator, false};
}

TextEncoding detectEncoding(std::string_view bytes, std::optional<TextEncoding> asked) {
    return asked ? *asked : readingOf(bytes, std::nullopt).encoding;
}

Bytes joinedLines(std::string_view file) {
    constexpr std::string_view kCrLf = "\r\n";
    Bytes text;
    text.reserve(file.size());
    std::size_t from = 0;
    for (std::size_t lone = bytescan::findLoneLineEnd(file, 0); lone != std::string_view::npos;
         lone = bytescan::findLoneLineEnd(file, lone + 1)) {
        text.append(file, from, lone - from);
        text += kCrLf;
        from = lone + 1;
    }
    text.append(file, from);
    if (!file.empty() && (file.back() == '\r' || file.back() == '\n')) {
        text.resize(text.size() - kCrLf.size());
    }
    return text;
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
    forEachDecodedLine(file, readingOf(file, encoding), onLine, replaced, folded);
}

void forEachDecodedLine(std::string_view file, FileReading reading,
                        const std::function<void(std::string_view line)>& onLine,
                        std::size_t& replaced, std::size_t& folded) {
    if (reading.decoded) {
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
            chars.push_back(fileCharacter(byteAt(documentBytes, i)));
        }
    }
    return Charset::toUtf8(chars);
}

} // namespace vellum
