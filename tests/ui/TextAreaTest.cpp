// txtMain: what it shows, what it gives back, and what pasting does to it.
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedWindow.h"

#include "ui/Controls.h"
#include "ui/Display.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

using namespace vellum;
using namespace vellum::ui;

namespace {

// Every byte 1..255 once, shuffled, with extra lone CRs and LFs and CR LF
// pairs mixed in.
Bytes everyByte(unsigned seed) {
    Bytes bytes;
    for (int b = 1; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    for (int i = 0; i < 20; ++i) {
        bytes += i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\n\r";
    }
    std::mt19937 rng(seed);
    std::shuffle(bytes.begin(), bytes.end(), rng);
    return bytes;
}

void paste(TextArea* area, const QString& text) {
    QApplication::clipboard()->setText(text);
    area->paste();
}

} // namespace

class TextAreaTest : public QObject {
    Q_OBJECT

  private slots:
    void everyByteShowsAndComesBack() {
        for (unsigned seed = 1; seed <= 5; ++seed) {
            TextArea area;
            TextAreaBox box(&area);
            Document doc(std::shared_ptr<TextBox>(&box, [](TextBox*) {}));
            const Bytes bytes = everyByte(seed);
            doc.setText(bytes);
            QCOMPARE(doc.text(), bytes);
            QCOMPARE(box.characterCount(), countCharacters(bytes));
            // Lone CRs and LFs are characters of their own, not line breaks:
            // only the CR LF pairs break lines.
            const QString shown = area.toPlainText();
            QCOMPARE(shown.count(QLatin1Char('\n')),
                     static_cast<qsizetype>(bytes.size() - countCharacters(bytes)));
            QVERIFY(!shown.contains(QLatin1Char('\t')));
            QVERIFY(!shown.contains(QLatin1Char('\r')));
        }
    }

    void everyByteSavesByteIdentical() {
        // Through the window's real commands: the text set into the widget is
        // what the save writes (plus the closing line end).
        support::ScriptedWindow w;
        support::ScratchFolder dir;
        // A file of calculator codes holds CR and LF only as a line end.
        Bytes bytes;
        for (char c : everyByte(7) + "x") {
            bytes += c == '\r' || c == '\n' ? Bytes("\r\n") : Bytes(1, c);
        }
        w.doc().setText(bytes);
        w.doc().Encoding = TextEncoding::Calculator; // one byte each, as held
        w.dlgFile.choose(dir / "all.txt");
        QTest::mouseClick(w.window.cmdSaveAs(), Qt::LeftButton);
        QCOMPARE(support::readBytes(dir / "all.txt"), bytes + "\r\n");
    }

    void everyByteLoadsAndSavesBackFromATextFile() {
        // A file of calculator bytes, every byte with CR LF line ends (a lone
        // CR or LF ends a line in a text file), loads into the widget and
        // saves back unchanged.
        support::ScriptedWindow w;
        support::ScratchFolder dir;
        Bytes content;
        for (char c : everyByte(11)) {
            content += c == '\r' || c == '\n' ? Bytes("\r\n") : Bytes(1, c);
        }
        content += "\r\n";
        support::writeBytes(dir / "in.txt", content);
        w.dlgFile.choose(dir / "in.txt");
        QTest::mouseClick(w.window.cmdLoad(), Qt::LeftButton);
        // The closing line end ends the file; it is no part of the text.
        QCOMPARE(w.window.txtMain()->toPlainText(),
                 displayText(content.substr(0, content.size() - 2)));
        w.dlgFile.choose(dir / "out.txt");
        QTest::mouseClick(w.window.cmdSaveAs(), Qt::LeftButton);
        QCOMPARE(support::readBytes(dir / "out.txt"), content);
    }

    void oneSignalPerChange() {
        TextArea area;
        QSignalSpy spy(&area, &TextArea::textEdited);
        area.setBytes("abc\r\ndef");
        QCOMPARE(spy.count(), 1);
        area.show();
        area.setFocus();
        QTest::keyClicks(&area, "xy");
        QCOMPARE(spy.count(), 3);
        // Typing over a selection is one change.
        area.selectAll();
        QTest::keyClicks(&area, "z");
        QCOMPARE(spy.count(), 4);
        // Looks and layout are no change of the text.
        area.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        area.resize(200, 100);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 4);
        area.undo();
        QCOMPARE(spy.count(), 5);
    }

    void loneCrBeforeLoneLfIsALineBreak() {
        // Bytes CR and LF side by side are a line break; the widget shows
        // them so, whichever order they were put in.
        TextArea area;
        area.setBytes("ab");
        QTextCursor c = area.textCursor();
        c.setPosition(1);
        area.setTextCursor(c);
        area.replaceSelection('\r');
        QCOMPARE(area.bytes(), Bytes("a\rb"));
        area.replaceSelection('\n');
        QCOMPARE(area.bytes(), Bytes("a\r\nb"));
        QCOMPARE(area.toPlainText(), QStringLiteral("a\nb"));
        QCOMPARE(area.characterCount(), std::size_t(3));
        QCOMPARE(area.textCursor().position(), 2); // after the line break

        // LF first, then CR in front of it.
        area.setBytes("\n");
        c = area.textCursor();
        c.setPosition(0);
        area.setTextCursor(c);
        area.replaceSelection('\r');
        QCOMPARE(area.toPlainText(), QStringLiteral("\n"));
        QCOMPARE(area.characterCount(), countCharacters(area.bytes()));

        // Deleting what stood between them joins them too.
        area.setBytes("\rx\n");
        c = area.textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        area.setTextCursor(c);
        area.textCursor().removeSelectedText();
        QCOMPARE(area.bytes(), Bytes("\r\n"));
        QCOMPARE(area.characterCount(), std::size_t(1));
        // One undo step brings back the x.
        area.undo();
        QCOMPARE(area.bytes(), Bytes("\rx\n"));
    }

    void pastedTextIsWhatIsSaved() {
        TextArea area;
        area.show();
        // Characters the calculator lacks fold or become "?"; NULs become
        // "?"; Unicode line and paragraph separators and CR LF break lines;
        // a tab is byte 9.
        paste(&area, QString::fromUtf8("\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC")); // “q” €
        QCOMPARE(area.bytes(), Bytes("\"q\" ?"));
        area.setBytes("");
        paste(&area, QString(QChar(0)) + "a" + QChar(0x2028) + "b" + QChar(0x2029) + "c\r\nd\te");
        QCOMPARE(area.bytes(), Bytes("?a\r\nb\r\nc\r\nd\te"));
        // What is shown is what those bytes show.
        QCOMPARE(area.toPlainText(), displayText(area.bytes()));
        QCOMPARE(area.characterCount(), countCharacters(area.bytes()));
        // Typed characters fold the same way.
        area.setBytes("");
        area.setFocus();
        for (const QChar ch : QString::fromUtf8("\xCF\x80\xC3\x9F\xE2\x88\x92")) { // π ß −
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(&area, &press);
        }
        QCOMPARE(area.bytes(), Bytes("\xC4?\xD2"));
        QCOMPARE(area.toPlainText(), displayText(area.bytes()));
        // A shifted Enter is an ordinary line break.
        area.setBytes("");
        area.setFocus();
        QTest::keyClicks(&area, "a");
        QTest::keyClick(&area, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&area, "b");
        QCOMPARE(area.bytes(), Bytes("a\r\nb"));
        QCOMPARE(area.characterCount(), std::size_t(3));
    }

    // A run of over 4096 characters without a space wraps anywhere; others at words.
    void longRunsWithoutASpaceWrapAnywhere() {
        const Bytes half(3000, 'b');
        const std::tuple<Bytes, QString, bool> rows[] = {
            // text, then pasted
            {"Some words\r\nand more", "", false},
            {"x\r\n" + Bytes(5000, 'a'), "", true},
            {half + " " + half, "", false},
            {"x", "x\n" + QString(5000, 'a') + "\nx", true}};
        for (const auto& [text, pasted, anywhere] : rows) {
            TextArea area;
            area.setBytes(Bytes(6000, 'z')); // the mode of an earlier text does not stay
            area.setBytes(text);
            paste(&area, pasted);
            QCOMPARE(area.wordWrapMode() == QTextOption::WrapAnywhere, anywhere);
        }
    }

    // A paste making a line, with what stays around the selection, too long is
    // refused. Rows: caret, paste, length refused at.
    void pastesThatMakeALineTooLongAreRefused() {
        const std::tuple<int, QString, std::size_t> rows[] = {
            {5, QString(9, 'x'), 0},
            {5, "x\n" + QString(15, 'y'), 20},
            {5, "x\n" + QString(20, 'y') + "\nz", 20},
            {12, QString(10, 'x'), 20}};
        for (const auto& [caret, pasted, refusedAt] : rows) {
            TextArea area;
            area.setLineLengthLimit(19);
            area.setBytes("0123456789\r\n0123456789");
            QTextCursor cursor = area.textCursor();
            cursor.setPosition(caret);
            area.setTextCursor(cursor);
            QSignalSpy refused(&area, &TextArea::pasteLineTooLong);
            paste(&area, pasted);
            QCOMPARE(refused.size() == 1 ? refused.at(0).at(0).value<std::size_t>() : 0, refusedAt);
            QCOMPARE(area.bytes().size() == 22, refusedAt != 0);
        }
    }

    void hugePasteKeepsCountAndBytes() {
        TextArea area;
        QString big;
        big.reserve(10 * 1024 * 1024);
        const QString line =
            QStringLiteral("0123456789 abcdefghij \u03C0\u00E9 KLMNOPQRSTUVWXYZ\n");
        while (big.size() < 10 * 1024 * 1024) {
            big += line;
        }
        paste(&area, big);
        const Bytes bytes = area.bytes();
        QCOMPARE(area.characterCount(), countCharacters(bytes));
        QCOMPARE(area.toPlainText().size(), big.size());
        QCOMPARE(bytes.substr(0, 8), Bytes("01234567"));
    }
};

QTEST_MAIN(TextAreaTest)
#include "TextAreaTest.moc"
