#include "Display.h"

namespace vellum::ui {

QString displayText(const Bytes& bytes) {
    return QString::fromStdU32String(Charset::decodeText(bytes));
}

Bytes textBytes(const QString& text, std::size_t* replaced) {
    return Charset::encodeText(text.toStdU32String(), replaced);
}

QString displayLine(const Bytes& bytes) {
    std::u32string chars;
    chars.reserve(bytes.size());
    for (char c : bytes) {
        chars.push_back(Charset::toDisplay(static_cast<std::uint8_t>(c)));
    }
    return QString::fromStdU32String(chars);
}

Bytes lineBytes(const QString& text) {
    Bytes bytes;
    for (char32_t ch : text.toStdU32String()) {
        bytes.push_back(static_cast<char>(Charset::fromTyped(ch)));
    }
    return bytes;
}

QString displayChar(std::uint8_t byte) {
    const char32_t ch = Charset::toDisplay(byte);
    return QString::fromUcs4(&ch, 1);
}

} // namespace vellum::ui
