// The window and vellum-cli side by side: the same characters, typed,
// pasted or read from a UTF-8 file, give the same string file.
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedWindow.h"

#include "cli/Commands.h"
#include "commands/Messages.h"
#include "ui/Controls.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include <sstream>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

class WindowCompileTest : public QObject {
    Q_OBJECT

  private slots:
    void compilingAUtf8FileGivesWhatTypingAndPastingGive() {
        const QString chars = QString::fromUtf8("θπ→≠≤≥√Σ€\n");
        ScratchFolder dir;
        writeBytes(dir / "untitled.txt", chars.toStdString());
        std::ostringstream out, err;
        QCOMPARE(cli::compile({dir / "untitled.txt"}, {out, err}), 0);
        QVERIFY(err.str().ends_with(messages::replacedCharacters(1) + "\n"));
        const std::string fromFile = readBytes(dir / "untitled.85s").substr(53);
        for (const bool typed : {true, false}) {
            support::ScriptedWindow f;
            f.window.show();
            f.window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&f.window));
            f.window.txtMain()->setFocus();
            if (typed) {
                // The file's closing line end is no part of its text.
                for (const QChar ch : chars.chopped(1)) {
                    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                    QApplication::sendEvent(f.window.txtMain(), &press);
                }
            } else {
                QApplication::clipboard()->setText(chars.chopped(1));
                f.window.txtMain()->paste();
                QVERIFY(f.window.lblNote()->isVisible());
                QCOMPARE(f.window.lblNote()->text().toStdString(), messages::replacedCharacters(1));
            }
            f.dlgString.choose(dir / "window.85s");
            QTest::mouseClick(f.window.cmdString(), Qt::LeftButton);
            QCOMPARE(readBytes(dir / "window.85s").substr(53), fromFile);
            QTest::keyClicks(f.window.txtMain(), "x"); // the next change hides a note
            QVERIFY(!f.window.lblNote()->isVisible());
        }
    }
};

QTEST_MAIN(WindowCompileTest)
#include "WindowCompileTest.moc"
