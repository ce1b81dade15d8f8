#include "Fonts.h"

#include <QFontDatabase>

namespace vellum::ui {
namespace {

// 6 points at 96 dpi.
constexpr int kPixelSize = 8;

QFont monospace(const QString& family) {
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kPixelSize);
    font.setBold(true);
    return font;
}

} // namespace

void registerFonts() {
    // Nothing is shipped yet: the system's fonts are used as they are.
}

QFont calculatorFont() {
    // Until the calculator font ships, a monospace face with wide Unicode
    // coverage shows the display characters; the stand-ins of bytes without
    // a Unicode equivalent show as the face's missing-glyph box.
    return monospace(QStringLiteral("DejaVu Sans Mono"));
}

QFont controlFont() {
    return monospace(QStringLiteral("Terminus"));
}

} // namespace vellum::ui
