#include "Fonts.h"

#include <QFontDatabase>
#include <QStringList>

// Resources compiled into a static library are linked only when named.
static void initFontResources() {
    Q_INIT_RESOURCE(fonts);
}

namespace vellum::ui {
namespace {

// 6 points at 96 dpi: one calculator pixel on one screen pixel.
constexpr int kPixelSize = 8;

const QString kCalculatorFamily = QStringLiteral("TI85");
const QString kCalculatorFontFile = QStringLiteral(":/fonts/TI85.ttf");

// Set by registerFonts() once the shipped font is known to Qt.
bool calculatorFontLoaded = false;

QFont sized(QFont font) {
    font.setPixelSize(kPixelSize);
    font.setBold(true);
    return font;
}

// The calculator face is drawn from whole pixels. Without antialiasing its
// pixels stay sharp even where the screen's scale is not a whole number;
// at whole-number scales each becomes an exact square.
QFont calculatorFace() {
    QFont font(kCalculatorFamily);
    font.setFixedPitch(true);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return sized(font);
}

// Used only if the shipped font could not be registered.
QFont fallbackFace() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return sized(font);
}

} // namespace

void registerFonts() {
    if (calculatorFontLoaded) {
        return;
    }
    initFontResources();
    const int id = QFontDatabase::addApplicationFont(kCalculatorFontFile);
    calculatorFontLoaded =
        id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(kCalculatorFamily);
}

QFont calculatorFont() {
    return calculatorFontLoaded ? calculatorFace() : fallbackFace();
}

// "Terminal" has no counterpart on Linux. The calculator face serves instead:
// a 6 x 8 monospace cell like Terminal's smallest size, with every ASCII and
// accented Latin letter, so each caption fits its control as it was laid out.
QFont controlFont() {
    return calculatorFont();
}

} // namespace vellum::ui
