// The character map: its grid, its clicks, and its one window.
#include "tests/support/ScriptedWindow.h"

#include "ui/CharMap.h"
#include "ui/Display.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <QTextDocument>

using namespace vellum;
using namespace vellum::ui;

namespace {

// The window as shell/ assembles it, with a way to the map holding the focus.
struct Fixture : support::ScriptedWindow {
    // The map, shown and holding the keyboard focus.
    CharMap* activeMap() {
        window.show();
        window.cmdCharMap_Click();
        CharMap* map = window.charMap();
        map->activateWindow();
        return QTest::qWaitForWindowActive(map) ? map : nullptr;
    }
};

QString plainText(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QColor background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

} // namespace

class CharMapTest : public QObject {
    Q_OBJECT

  private slots:
    void gridOfTheTemplateAndCodes1To255() {
        Fixture f;
        f.window.cmdCharMap_Click();
        CharMap* map = f.window.charMap();
        QVERIFY(map != nullptr);
        QCOMPARE(map->windowTitle(), QStringLiteral("Character Map"));
        QCOMPARE(map->size(), QSize(381, 70));
        QVERIFY(map->windowFlags() & Qt::Tool);
        QCOMPARE(map->parentWidget(), static_cast<QWidget*>(&f.window));
        QCOMPARE(map->findChildren<CharCell*>().size(), 256);
        // Centred over the main window (give or take the platform's frame).
        const QPoint offset = map->geometry().center() - f.window.geometry().center();
        QVERIFY2(offset.manhattanLength() <= 6,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));

        QCOMPARE(map->cell(0)->geometry(), QRect(0, 0, 12, 9));
        QCOMPARE(map->cell(0)->text(), QStringLiteral("  "));
        QCOMPARE(map->cell(1)->pos(), QPoint(12, 0));
        QCOMPARE(map->cell(32)->pos(), QPoint(384, 0));
        QCOMPARE(map->cell(33)->pos(), QPoint(0, 9));
        QCOMPARE(map->cell(64)->pos(), QPoint(372, 9));
        QCOMPARE(map->cell(225)->pos(), QPoint(0, 63));
        QCOMPARE(map->cell(255)->pos(), QPoint(360, 63));
        for (int i = 1; i <= 255; ++i) {
            const QRect cell = map->cell(i)->geometry();
            const int col = i <= 32 ? i : (i - 1) % 32;
            const int row = i <= 32 ? 0 : (i - 1) / 32;
            QCOMPARE(cell, QRect(12 * col, 9 * row, 12, 9));
            QCOMPARE(map->cell(i)->text(),
                     displayChar(static_cast<std::uint8_t>(i)) + QLatin1Char(' '));
        }
        // Every code has a cell of its own look.
        QSet<QString> captions;
        for (int i = 1; i <= 255; ++i) {
            captions.insert(map->cell(i)->text());
        }
        QCOMPARE(captions.size(), 255);
    }

    void clickReplacesTheSelectionAndFocusesTheText() {
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.window.cmdCharMap_Click();
        CharMap* map = f.window.charMap();
        QVERIFY(QTest::qWaitForWindowExposed(map));

        f.window.document().setText("aXYZb");
        QTextCursor c = f.window.txtMain()->textCursor();
        c.setPosition(1);
        c.setPosition(4, QTextCursor::KeepAnchor);
        f.window.txtMain()->setTextCursor(c);
        QTest::mouseClick(map->cell(65), Qt::LeftButton);
        QCOMPARE(f.window.document().text(), Bytes("aAb"));
        QCOMPARE(f.window.txtMain()->textCursor().position(), 2);
        QCOMPARE(f.window.lblSize()->text(), QStringLiteral("Data Size: 5"));
        QVERIFY(!f.window.document().IsSaved);
        QTRY_VERIFY(f.window.txtMain()->hasFocus());

        // Several clicks insert one after another; 9, 10 and 13 are lone bytes.
        QTest::mouseClick(map->cell(9), Qt::LeftButton);
        QTest::mouseClick(map->cell(10), Qt::LeftButton);
        QTest::mouseClick(map->cell(13), Qt::LeftButton);
        QTest::mouseClick(map->cell(0xC4), Qt::LeftButton); // pi
        QCOMPARE(f.window.document().text(), Bytes("aA\t\n\r\xC4"
                                                   "b"));
        // The template inserts nothing; the map stays open.
        QTest::mouseClick(map->cell(0), Qt::LeftButton);
        QCOMPARE(f.window.document().text(), Bytes("aA\t\n\r\xC4"
                                                   "b"));
        QVERIFY(map->isVisible());
    }

    void oneWindowWhileOpenRebuiltAfterClosing() {
        Fixture f;
        f.window.show();
        f.window.cmdCharMap_Click();
        QPointer<CharMap> first = f.window.charMap();
        f.window.cmdCharMap_Click();
        QCOMPARE(f.window.charMap(), first.data());
        QCOMPARE(f.window.findChildren<CharMap*>().size(), 1);

        first->close();
        QTRY_VERIFY(first.isNull()); // closing destroys the window and its cells
        QVERIFY(f.window.charMap() == nullptr);
        f.window.cmdCharMap_Click();
        CharMap* second = f.window.charMap();
        QVERIFY(second != nullptr);
        QVERIFY(second->isVisible());
        QCOMPARE(second->findChildren<CharCell*>().size(), 256);
        QCOMPARE(second->cell(255)->pos(), QPoint(360, 63));
    }

    void everyCellTellsItsCodeAndName() {
        Fixture f;
        f.window.cmdCharMap_Click();
        CharMap* map = f.window.charMap();
        const struct {
            int code;
            QString tip;
        } cases[] = {
            {1, QStringLiteral("1 (0x01) \uE001 TI-85 BINARY SUFFIX b")},
            {60, QStringLiteral("60 (0x3C) < LESS-THAN SIGN")},
            {65, QStringLiteral("65 (0x41) A LATIN CAPITAL LETTER A")},
            {193, QStringLiteral("193 (0xC1) \u03B8 GREEK SMALL LETTER THETA")},
            {255, QStringLiteral("255 (0xFF) \uE0FF NO TI-85 CHARACTER")},
        };
        for (const auto& c : cases) {
            QCOMPARE(plainText(map->cell(c.code)->toolTip()), c.tip);
        }
        QVERIFY(map->cell(0)->toolTip().isEmpty());
        for (int i = 1; i <= 255; ++i) {
            const QString prefix = QStringLiteral("%1 (0x%2) %3 ")
                                       .arg(i)
                                       .arg(i, 2, 16, QLatin1Char('0'))
                                       .arg(displayChar(static_cast<std::uint8_t>(i)));
            const QString tip = plainText(map->cell(i)->toolTip());
            QVERIFY2(tip.startsWith(prefix, Qt::CaseInsensitive) && tip.size() > prefix.size() + 3,
                     qPrintable(tip));
        }
    }

    void cellUnderTheMouseLightsUp() {
        Fixture f;
        f.window.cmdCharMap_Click();
        CharMap* map = f.window.charMap();
        const QColor paper = background(map);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(map->cell(65), &enter);
        QVERIFY(background(map->cell(65)) != paper);
        QCOMPARE(background(map->cell(66)), paper);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(map->cell(65), &leave);
        QCOMPARE(background(map->cell(65)), paper);
        // Leaving the map clears a cell that missed its own leave.
        QApplication::sendEvent(map->cell(66), &enter);
        QApplication::sendEvent(map, &leave);
        QCOMPARE(background(map->cell(66)), paper);
    }

    void escapeClosesTheMap() {
        Fixture f;
        QPointer<CharMap> map = f.activeMap();
        QVERIFY(map);
        QTest::keyClick(map, Qt::Key_Escape);
        QTRY_VERIFY(map.isNull());
        QVERIFY(f.window.charMap() == nullptr);
    }

    void arrowsMoveTheSelectionWithinTheGrid() {
        Fixture f;
        CharMap* map = f.activeMap();
        QVERIFY(map != nullptr);
        const struct {
            int from;
            Qt::Key key;
            int to;
        } moves[] = {
            {1, Qt::Key_Left, 1},      {1, Qt::Key_Up, 1},       {1, Qt::Key_Down, 34},
            {32, Qt::Key_Right, 33},   {32, Qt::Key_Down, 32},   {33, Qt::Key_Up, 33},
            {34, Qt::Key_Up, 1},       {224, Qt::Key_Down, 224}, {193, Qt::Key_Down, 225},
            {255, Qt::Key_Right, 255}, {255, Qt::Key_Up, 223},
        };
        for (const auto& m : moves) {
            map->select(m.from);
            QTest::keyClick(map, m.key);
            QCOMPARE(map->selectedCode(), m.to);
        }
    }

    void keyboardInsertsCellsOneAfterAnother() {
        Fixture f;
        CharMap* map = f.activeMap();
        QVERIFY(map != nullptr);
        QVERIFY(map->hasFocus());
        f.window.document().setText("ab");
        QTextCursor c = f.window.txtMain()->textCursor();
        c.setPosition(1);
        f.window.txtMain()->setTextCursor(c);

        // From code 1: down twice to 66, left to 65 (A) and Enter; right to
        // 66 (B) and Space; up to 34 (") and Return.
        map->select(1);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_Enter, Qt::Key_Right,
                            Qt::Key_Space, Qt::Key_Up, Qt::Key_Return}) {
            QTest::keyClick(map, key);
        }
        QCOMPARE(f.window.document().text(), Bytes("aAB\"b"));
        QCOMPARE(f.window.txtMain()->textCursor().position(), 4);
        // The map keeps the focus, and its selection shows.
        QVERIFY(map->hasFocus());
        QCOMPARE(background(map->cell(34)), map->palette().color(QPalette::Highlight));
        QCOMPARE(background(map->cell(66)), background(map));

        // A click hands the focus to the text and takes the selection along,
        // leaving no cell lit.
        QTest::mouseClick(map->cell(65), Qt::LeftButton);
        QTRY_VERIFY(f.window.txtMain()->hasFocus());
        QCOMPARE(map->selectedCode(), 65);
        for (int i = 1; i <= 255; ++i) {
            QVERIFY(background(map->cell(i)) != map->palette().color(QPalette::Highlight));
        }
    }

    void theSelectedCellShowsItsTipWhileSelected() {
        Fixture f;
        CharMap* map = f.activeMap();
        QVERIFY(map != nullptr);
        map->select(193);
        QTest::keyClick(map, Qt::Key_Right);
        const QLabel* tip = map->selectionTip();
        QVERIFY(tip != nullptr && tip->isVisible());
        QCOMPARE(tip->text(), cellToolTip(194));
        QVERIFY(tip->geometry().top() >= map->cell(194)->mapToGlobal(QPoint(0, 0)).y());
        // Gone with the focus.
        f.window.activateWindow();
        QTRY_VERIFY(!tip->isVisible());
    }
};

QTEST_MAIN(CharMapTest)
#include "CharMapTest.moc"
