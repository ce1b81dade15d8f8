// The character map: its grid, its clicks, and its one window.
#include "tests/support/ScriptedWindow.h"

#include "ui/CharMap.h"
#include "ui/Display.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QTest>

using namespace vellum;
using namespace vellum::ui;

namespace {

using Fixture = support::ScriptedWindow;

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
};

QTEST_MAIN(CharMapTest)
#include "CharMapTest.moc"
