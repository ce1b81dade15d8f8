// The shipped calculator font: it loads from the program's resources, covers
// exactly the display characters of the character set, and draws each with
// its byte's glyph from data/ti85-glyphs.txt, pixel for pixel.

#include "core/Charset.h"
#include "ui/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QSet>
#include <QTextStream>
#include <QtTest>

#include <array>

using vellum::Charset;
using namespace vellum::ui;

namespace {

constexpr int kGlyphWidth = 6;
constexpr int kGlyphHeight = 8;
constexpr int kAscent = 7;

using Glyph = std::array<QString, kGlyphHeight>;

// The table: a line "0xNN" (maybe followed by a word), then 8 rows of 6
// pixels, '#' ink and '.' paper. Comment lines start with "# ".
std::array<Glyph, 256> readGlyphTable(QString* error) {
    std::array<Glyph, 256> glyphs;
    std::array<int, 256> rows{};
    QFile file(QStringLiteral(VELLUM_SOURCE_DIR "/data/ti85-glyphs.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open ") + file.fileName();
        return glyphs;
    }
    QTextStream in(&file);
    int code = -1;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line == u'#' || line.startsWith(QStringLiteral("# "))) {
            continue;
        }
        if (line.startsWith(QStringLiteral("0x"))) {
            bool ok = false;
            code = line.section(u' ', 0, 0).toInt(&ok, 16);
            if (!ok || code < 0 || code > 255) {
                *error = QStringLiteral("bad code line: ") + line;
                return glyphs;
            }
            continue;
        }
        if (code < 0 || rows[code] == kGlyphHeight) {
            *error = QStringLiteral("row outside a glyph: ") + line;
            return glyphs;
        }
        glyphs[code][rows[code]++] = line;
    }
    for (int c = 0; c < 256; ++c) {
        if (rows[c] != kGlyphHeight) {
            *error = QStringLiteral("code %1 has %2 rows").arg(c).arg(rows[c]);
        }
    }
    return glyphs;
}

QString displayString(std::uint8_t byte) {
    const char32_t ch = Charset::toDisplay(byte);
    return QString::fromUcs4(&ch, 1);
}

// Draws one character at the top left of a 6 x 8 cell, scaled by ratio.
QImage render(const QFont& font, const QString& text, qreal ratio) {
    QImage image(qRound(kGlyphWidth * ratio), qRound(kGlyphHeight * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, kAscent), text);
    return image;
}

// Pixels of the image that differ from the glyph scaled by a whole factor.
int mismatches(const QImage& image, const Glyph& glyph, int scale) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool ink = qGray(image.pixel(x, y)) < 128;
            if (ink != (glyph[y / scale][x / scale] == u'#')) {
                ++count;
            }
        }
    }
    return count;
}

quint16 u16(const QByteArray& data, qsizetype at) {
    return quint16((quint8(data[at]) << 8) | quint8(data[at + 1]));
}

// The characters of the Windows Unicode (3, 1) subtable, format 4, of a
// 'cmap' table that map to a glyph.
QSet<char32_t> characterMap(const QByteArray& cmap, QString* error) {
    QSet<char32_t> chars;
    if (cmap.size() < 4) {
        *error = QStringLiteral("no cmap table");
        return chars;
    }
    qsizetype sub = -1;
    for (int i = 0; i < u16(cmap, 2); ++i) {
        const qsizetype record = 4 + 8 * i;
        if (u16(cmap, record) == 3 && u16(cmap, record + 2) == 1) {
            sub = qsizetype(u16(cmap, record + 4)) << 16 | u16(cmap, record + 6);
        }
    }
    if (sub < 0 || sub + 14 > cmap.size() || u16(cmap, sub) != 4) {
        *error = QStringLiteral("no format 4 Windows Unicode subtable");
        return chars;
    }
    const int segments = u16(cmap, sub + 6) / 2;
    const qsizetype ends = sub + 14;
    const qsizetype starts = ends + 2 * segments + 2;
    const qsizetype deltas = starts + 2 * segments;
    const qsizetype offsets = deltas + 2 * segments;
    if (offsets + 2 * segments > cmap.size()) {
        *error = QStringLiteral("cmap subtable cut short");
        return chars;
    }
    for (int s = 0; s < segments; ++s) {
        const quint16 end = u16(cmap, ends + 2 * s);
        const quint16 delta = u16(cmap, deltas + 2 * s);
        const quint16 offset = u16(cmap, offsets + 2 * s);
        for (quint32 ch = u16(cmap, starts + 2 * s); ch <= end && ch != 0xFFFF; ++ch) {
            quint16 glyph = 0;
            if (offset == 0) {
                glyph = quint16(ch + delta);
            } else {
                const qsizetype at =
                    offsets + 2 * s + offset + 2 * (ch - u16(cmap, starts + 2 * s));
                if (at + 2 > cmap.size()) {
                    *error = QStringLiteral("cmap glyph index out of the table");
                    return chars;
                }
                glyph = u16(cmap, at);
                if (glyph != 0) {
                    glyph = quint16(glyph + delta);
                }
            }
            if (glyph != 0) {
                chars.insert(ch);
            }
        }
    }
    return chars;
}

QString codePoints(const QSet<char32_t>& chars) {
    QStringList names;
    for (char32_t ch : chars) {
        names << QStringLiteral("U+%1").arg(uint(ch), 4, 16, QLatin1Char('0')).toUpper();
    }
    names.sort();
    return names.join(u' ');
}

} // namespace

class FontTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { registerFonts(); }

    void loadsFromTheResources() {
        QVERIFY(QFile::exists(QStringLiteral(":/fonts/TI85.ttf")));
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("TI85")));
        const QFontInfo info(calculatorFont());
        QCOMPARE(info.family(), QStringLiteral("TI85"));
        QVERIFY(info.exactMatch());
        QVERIFY(info.fixedPitch());
        // The face itself is bold: asking for weight 700 must not embolden it.
        QCOMPARE(info.weight(), int(QFont::Bold));
    }

    // The font's character map holds the display characters of bytes 1 to
    // 255, and nothing else.
    void coversExactlyTheDisplayCharacters() {
        const QRawFont raw = QRawFont::fromFont(calculatorFont());
        QVERIFY(raw.isValid());
        QCOMPARE(raw.familyName(), QStringLiteral("TI85"));
        QString error;
        const QSet<char32_t> mapped = characterMap(raw.fontTable("cmap"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QSet<char32_t> display;
        for (int b = 1; b < 256; ++b) {
            display.insert(Charset::toDisplay(static_cast<std::uint8_t>(b)));
        }
        QCOMPARE(display.size(), 255);
        QCOMPARE(codePoints(display - mapped), QString()); // missing from the font
        QCOMPARE(codePoints(mapped - display), QString()); // in the font, but no byte's
    }

    void metricsAreTheCalculatorCell() {
        const QFontMetrics metrics(calculatorFont());
        QCOMPARE(metrics.ascent(), kAscent);
        QCOMPARE(metrics.height(), kGlyphHeight);
        for (int b = 1; b < 256; ++b) {
            QCOMPARE(metrics.horizontalAdvance(displayString(static_cast<std::uint8_t>(b))),
                     kGlyphWidth);
        }
    }

    // Each byte's display character is drawn with the byte's glyph, exactly
    // at 1x and as whole squares at 2x and 3x; at 1.5x no pixel is blurred.
    void drawsEachByteWithItsGlyph() {
        QString error;
        const auto glyphs = readGlyphTable(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QFont font = calculatorFont();
        int wrong = 0;
        for (int b = 1; b < 256; ++b) {
            const QString text = displayString(static_cast<std::uint8_t>(b));
            for (int scale : {1, 2, 3}) {
                const int bad = mismatches(render(font, text, scale), glyphs[b], scale);
                if (bad != 0) {
                    ++wrong;
                    qWarning("byte 0x%02X at %dx: %d pixels differ", b, scale, bad);
                }
            }
            const QImage half = render(font, text, 1.5);
            for (int y = 0; y < half.height(); ++y) {
                for (int x = 0; x < half.width(); ++x) {
                    const int grey = qGray(half.pixel(x, y));
                    QVERIFY2(grey == 0 || grey == 255,
                             qPrintable(QStringLiteral("byte %1 blurred at 1.5x").arg(b)));
                }
            }
        }
        QCOMPARE(wrong, 0);
    }

    // Codes 0xD8-0xFF are no characters on the calculator; each placeholder
    // must differ from every other glyph, so that no two bytes look alike.
    void placeholdersAreDistinct() {
        QString error;
        const auto glyphs = readGlyphTable(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (int p = 0xD8; p < 256; ++p) {
            for (int c = 1; c < 256; ++c) {
                QVERIFY2(c == p || glyphs[c] != glyphs[p],
                         qPrintable(QStringLiteral("0x%1 looks like 0x%2")
                                        .arg(p, 2, 16)
                                        .arg(c, 2, 16, QLatin1Char('0'))));
            }
        }
    }

    // Each caption of the main window fits its control: width and height in
    // pixels of the control, its caption as drawn (lines of a wrapped caption
    // apart), and whether only the ink above the baseline needs to fit.
    void controlCaptionsFitTheirRectangles_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("inkOnly");
        QTest::newRow("cmdNew") << 97 << 23 << QStringList{"New"} << false;
        QTest::newRow("cmdSave") << 45 << 23 << QStringList{"Save"} << false;
        QTest::newRow("cmdSaveAs") << 51 << 23 << QStringList{"Save As"} << false;
        QTest::newRow("cmdLoad") << 97 << 23 << QStringList{"Load"} << false;
        QTest::newRow("cmdLoadS") << 97 << 23 << QStringList{"Load .85s"} << false;
        QTest::newRow("cmdString")
            << 97 << 29 << QStringList{"Compile into", "TI-85 String"} << false;
        QTest::newRow("lblHeader")
            << 100 << 35 << QStringList{"Variable Name", "Filename"} << false;
        QTest::newRow("txtVarName") << 86 << 8 << QStringList{"WWWWWWWW"} << false;
        QTest::newRow("lblFileName") << 84 << 8 << QStringList{"untitled"} << false;
        QTest::newRow("lblSave") << 83 << 7 << QStringList{"MODIFIED"} << true;
        QTest::newRow("cmdCharMap") << 97 << 19 << QStringList{"Character Map"} << false;
    }

    void controlCaptionsFitTheirRectangles() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QStringList, lines);
        QFETCH(bool, inkOnly);
        const QFontMetrics metrics(controlFont());
        for (const QString& line : lines) {
            QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
        }
        const int last = inkOnly ? metrics.ascent() : metrics.height();
        QVERIFY(metrics.lineSpacing() * (int(lines.size()) - 1) + last <= height);
    }
};

QTEST_MAIN(FontTest)
#include "FontTest.moc"
