#pragma once
// Calculator bytes as the widgets show them, and back. Every conversion
// between a document's bytes and a QString goes through Charset here.

#include "core/Charset.h"

#include <QString>

#include <cstdint>

namespace vellum::ui {

// A whole text: a CR LF pair becomes '\n', every other byte its display
// character (a lone CR or LF stays a visible character of its own).
QString displayText(const Bytes& bytes);
// The inverse of displayText for anything the widgets hold, with the
// character set's folds for characters it lacks; '\n', U+2028 and U+2029 are
// line breaks. When asked, counts the characters that became '?'.
Bytes textBytes(const QString& text, std::size_t* replaced = nullptr);

// One character per byte, no line breaks: the name box and the captions.
QString displayLine(const Bytes& bytes);
// One byte per character of a one-line text (folds, then '?').
Bytes lineBytes(const QString& text);

// The display character of one byte.
QString displayChar(std::uint8_t byte);

} // namespace vellum::ui
