// The main window: layout, captions, keys, and every event wired to its command.
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedWindow.h"
#include "tests/support/StringFiles.h"

#include "commands/Messages.h"
#include "ui/CharMap.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/QtServices.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>


using namespace vellum;
using namespace vellum::ui;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace {

struct Fixture : support::ScriptedWindow {
    void showActive() {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startUpBoxStandsWhereTheWindowWillAppear() {
        // A box shown before the window first appears (start-up's load of a
        // file named on the command line that cannot be opened) is owned by
        // the hidden window, as shell/ assembles it.
        QRect box;
        MainWindow window;
        QtMessageBoxes boxes(&window);
        Editor editor(window.document(), {nullptr, nullptr, &boxes, nullptr, nullptr});
        window.wire(editor);
        QTimer::singleShot(50, [&box] {
            QWidget* shown = QApplication::activeModalWidget();
            QVERIFY(shown != nullptr);
            box = shown->frameGeometry();
            shown->close();
        });
        QVERIFY(!editor.LoadText("/nonexistent/x.vlm", "x").ok());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint screenCentre = window.screen()->availableGeometry().center();
        QVERIFY((window.frameGeometry().center() - screenCentre).manhattanLength() <= 2);
        // Give or take the frames' rounding.
        QVERIFY2((box.center() - window.geometry().center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("box at %1,%2, window at %3,%4")
                                .arg(box.center().x())
                                .arg(box.center().y())
                                .arg(window.geometry().center().x())
                                .arg(window.geometry().center().y())));
    }

    void windowProperties() {
        Fixture f;
        QCOMPARE(f.window.windowTitle(), QStringLiteral("TI-85 'Scrollet' Text Editor"));
        QCOMPARE(f.window.size(), QSize(layout::kClientWidth, layout::kClientHeight));
        QCOMPARE(f.window.minimumSize(), f.window.maximumSize());
        const Qt::WindowFlags flags = f.window.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.window.windowIcon().isNull());
        QVERIFY(!f.window.windowIcon().pixmap(16).isNull());
        QVERIFY(!f.window.windowIcon().pixmap(32).isNull());
    }

    void controlsAtTheirRectanglesWithCaptions() {
        Fixture f;
        MainWindow& w = f.window;
        // Every control stands where the layout table says; the size label's
        // width follows its caption.
        for (const layout::Place& place : layout::kPlaces) {
            const QString name = QString::fromLatin1(place.control.data(),
                                                     static_cast<qsizetype>(place.control.size()));
            const QWidget* control = w.findChild<QWidget*>(name);
            QVERIFY2(control != nullptr, qPrintable(name));
            const QRect rect(place.left, place.top, place.width, place.height);
            if (name == QStringLiteral("lblSize")) {
                QCOMPARE(control->pos(), rect.topLeft());
            } else {
                QCOMPARE(control->geometry(), rect);
            }
        }
        struct Expected {
            QWidget* control;
            QString caption;
        };
        const Expected expected[] = {
            {w.cmdNew(), "&New"},
            {w.cmdSave(), "&Save"},
            {w.cmdSaveAs(), "Save &As"},
            {w.cmdLoad(), "&Load"},
            {w.cmdLoadS(), "Load .&85s"},
            {w.cmdString(), "Compile into TI-8&5 String"},
            {w.lblHeader(), "&Variable Name" + QString(30, ' ') + "Filename"},
            {w.txtVarName(), "untitled"},
            {w.lblFileName(), "Untitled"},
            {w.lblSave(), ""},
            {w.cmdCharMap(), "Character Map"},
        };
        for (const Expected& e : expected) {
            QString caption;
            if (auto* b = qobject_cast<QPushButton*>(e.control)) {
                caption = b->text();
            } else if (auto* l = qobject_cast<QLabel*>(e.control)) {
                caption = l->text();
            } else if (auto* t = qobject_cast<QLineEdit*>(e.control)) {
                caption = t->text();
            }
            QCOMPARE(caption, e.caption);
        }
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: "));
        QCOMPARE(w.lblHeader()->buddy(), static_cast<QWidget*>(w.txtVarName()));
        QCOMPARE(w.txtVarName()->maxLength(), 8);

        // "Variable Name" heads the first line; the run of spaces carries
        // "Filename" further down.
        const QStringList lines = w.lblHeader()->lines();
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines.first().trimmed(), QStringLiteral("&Variable Name"));
        QCOMPARE(lines.last().trimmed(), QStringLiteral("Filename"));

        // Fonts: the text area the calculator's, everything else the controls'.
        QCOMPARE(w.txtMain()->font().family(), calculatorFont().family());
        QCOMPARE(w.cmdNew()->font().family(), controlFont().family());
        QCOMPARE(w.txtVarName()->font().family(), controlFont().family());
    }

    void tabOrderAndStartFocus() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtMain()));
        const QWidget* expected[] = {w.cmdNew(),     w.cmdSave(),    w.cmdSaveAs(),
                                     w.cmdLoad(),    w.cmdLoadS(),   w.cmdString(),
                                     w.txtVarName(), w.cmdCharMap(), w.txtMain()};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // Tab in the text moved the focus and put nothing into the text.
        QCOMPARE(w.document().text(), Bytes());
    }

    void startState() {
        Fixture f;
        Document& doc = f.window.document();
        QCOMPARE(f.window.txtVarName()->text(), QStringLiteral("untitled"));
        QCOMPARE(f.window.lblFileName()->text(), QStringLiteral("Untitled"));
        QCOMPARE(f.window.lblSave()->text(), QString());
        QCOMPARE(f.window.lblSize()->text(), QStringLiteral("Data Size: "));
        QVERIFY(doc.IsSaved);
        QVERIFY(!doc.HasPath);
        QVERIFY(f.boxes.questions.empty());
    }

    void accessKeysRunTheirCommands() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;

        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(f.dlgFile.shown.size(), std::size_t(1));
        QVERIFY(f.dlgFile.shown.back().save);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.cmdSave()));

        QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(f.dlgFile.shown.size(), std::size_t(2));
        QVERIFY(f.dlgFile.shown.back().save);

        QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
        QTRY_COMPARE(f.dlgFile.shown.size(), std::size_t(3));
        QVERIFY(!f.dlgFile.shown.back().save);
        QCOMPARE(f.dlgFile.shown.back().settings.title, std::string("Save Text"));

        QTest::keyClick(&w, Qt::Key_8, Qt::AltModifier);
        QTRY_COMPARE(f.dlgFile.shown.size(), std::size_t(4));
        QCOMPARE(f.dlgFile.shown.back().settings.title, std::string("Load String"));

        QTest::keyClick(&w, Qt::Key_5, Qt::AltModifier);
        QTRY_COMPARE(f.dlgString.shown.size(), std::size_t(1));
        QCOMPARE(f.dlgString.shown.back().settings.fileName, std::string("untitled.85s"));

        // Alt+V: the caret goes into the name box.
        QTest::keyClick(&w, Qt::Key_V, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtVarName()));

        // Alt+N: New, which asks once the text has changed.
        w.txtMain()->setFocus();
        QTest::keyClicks(w.txtMain(), "x");
        QTest::keyClick(&w, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(f.boxes.questions.size(), std::size_t(1));
        QCOMPARE(f.boxes.questions[0].message, std::string("File Unsaved. Save Now?"));
        QCOMPARE(f.boxes.questions[0].title, std::string("Question"));
    }

    void accessKeyTakesTheNameBeforeCompiling() {
        // Leaving the name box by the compile button's access key adopts the
        // typed name before the compile reads it.
        Fixture f;
        f.showActive();
        f.window.txtVarName()->setFocus();
        f.window.txtVarName()->selectAll();
        QTest::keyClicks(f.window.txtVarName(), "Notes");
        QTest::keyClick(&f.window, Qt::Key_5, Qt::AltModifier);
        QTRY_COMPARE(f.dlgString.shown.size(), std::size_t(1));
        QCOMPARE(f.dlgString.shown[0].settings.fileName, std::string("notes.85s"));
    }

    void buttonsAreWiredToTheirCommands() {
        Fixture f;
        MainWindow& w = f.window;
        QTest::mouseClick(w.cmdSave(), Qt::LeftButton);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(1));
        QVERIFY(f.dlgFile.shown[0].save);
        QCOMPARE(
            f.dlgFile.shown[0].settings.filter,
            std::string("'Vellum' Files (*.vlm)|*.vlm|Regular Text Files|*.txt|All Files|*.*"));

        QTest::mouseClick(w.cmdSaveAs(), Qt::LeftButton);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(2));
        QVERIFY(f.dlgFile.shown[1].save);

        QTest::mouseClick(w.cmdLoad(), Qt::LeftButton);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(3));
        QVERIFY(!f.dlgFile.shown[2].save);
        QCOMPARE(f.dlgFile.shown[2].settings.title, std::string("Save Text"));

        QTest::mouseClick(w.cmdLoadS(), Qt::LeftButton);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(4));
        QVERIFY(!f.dlgFile.shown[3].save);
        QCOMPARE(f.dlgFile.shown[3].settings.title, std::string("Load String"));
        QCOMPARE(f.dlgFile.shown[3].settings.filter,
                 std::string("TI-85 Strings|*.85s|All Files|*.*"));

        QTest::mouseClick(w.cmdString(), Qt::LeftButton);
        QCOMPARE(f.dlgString.shown.size(), std::size_t(1));
        QVERIFY(f.dlgString.shown[0].save);
        QCOMPARE(f.dlgString.shown[0].settings.title, std::string("Save String"));
        QCOMPARE(f.dlgString.shown[0].settings.filter,
                 std::string("TI-85 String|*.85s|All Files|*.*"));

        QVERIFY(w.charMap() == nullptr);
        QTest::mouseClick(w.cmdCharMap(), Qt::LeftButton);
        QVERIFY(w.charMap() != nullptr);
        QVERIFY(w.charMap()->isVisible());
        QVERIFY(f.boxes.questions.empty()); // nothing was unsaved
    }

    void enterClicksTheFocusedButtonAndEscapeNone() {
        Fixture f;
        f.showActive();
        f.window.cmdLoad()->setFocus();
        QTest::keyClick(f.window.cmdLoad(), Qt::Key_Escape);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(0));
        QTest::keyClick(f.window.cmdLoad(), Qt::Key_Return);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(1));
        QVERIFY(!f.dlgFile.shown[0].save);
        for (auto* b : f.window.findChildren<QPushButton*>()) {
            QVERIFY(!b->isDefault());
            QVERIFY(!b->autoDefault());
        }
    }

    void compileWritesTheShownText() {
        // The compile button, through the real writer and files, stores the
        // bytes the window shows.
        Fixture f;
        ScratchFolder dir;
        const auto path = dir / "untitled.85s";
        f.window.document().setText("AB\r\nC");
        f.dlgString.choose(path);
        QTest::mouseClick(f.window.cmdString(), Qt::LeftButton);
        const std::string file = readBytes(path);
        QCOMPARE(file.size(), std::size_t(83));
        QCOMPARE(file.substr(65 + 8, 7), std::string("\x00\xef"
                                                     "AB\nC\x00",
                                                     7));
    }

    void textChangesRunTheChangeHandler() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        w.txtMain()->setFocus();
        QTest::keyClicks(w.txtMain(), "a");
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: 3"));
        QVERIFY(!w.document().IsSaved);
        QCOMPARE(w.lblSave()->text(), QString()); // shown at the next refresh
        QTest::keyClick(w.txtMain(), Qt::Key_Return);
        QTest::keyClicks(w.txtMain(), "b");
        QCOMPARE(w.document().text(), Bytes("a\r\nb"));
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: 5"));
        // The size label fits its caption and keeps its left edge.
        QCOMPARE(w.lblSize()->x(), 318);
        QCOMPARE(w.lblSize()->width(),
                 w.lblSize()->fontMetrics().horizontalAdvance("Data Size: 5"));
        QTest::keyClick(w.txtMain(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w.txtMain(), Qt::Key_Delete);
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: 2"));
    }

    void nameBoxLowerCasesKeepsCaretAndLimits() {
        Fixture f;
        f.showActive();
        NameBox* box = f.window.txtVarName();
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, "AbC");
        QCOMPARE(box->text(), QStringLiteral("abc"));
        QCOMPARE(box->cursorPosition(), 3);
        box->setCursorPosition(1);
        QTest::keyClicks(box, "X");
        QCOMPARE(box->text(), QStringLiteral("axbc"));
        QCOMPARE(box->cursorPosition(), 2);
        QCOMPARE(f.window.document().nameBox(), Bytes("axbc"));

        QTest::keyClicks(box, "DEFGHIJK");
        QCOMPARE(box->text(), QStringLiteral("axdefgbc"));

        // Pasting is held to 8 characters as well, and lower-cased.
        box->clear();
        QApplication::clipboard()->setText(QStringLiteral("ABCDEFGHIJKL"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("abcdefgh"));
        QCOMPARE(f.window.document().nameBox(), Bytes("abcdefgh"));

        // A character the calculator lacks shows as what it is stored as.
        box->clear();
        QApplication::clipboard()->setText(QStringLiteral("a\u20ACb"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("a?b"));
        QCOMPARE(f.window.document().nameBox(), Bytes("a?b"));
    }

    void leavingTheNameBoxAdoptsTheName() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        w.txtVarName()->setFocus();
        w.txtVarName()->selectAll();
        QTest::keyClicks(w.txtVarName(), "Greet");
        QCOMPARE(w.document().VarName, Bytes("untitled"));
        QTest::keyClick(w.txtVarName(), Qt::Key_Tab);
        QCOMPARE(w.document().VarName, Bytes("greet"));
        QCOMPARE(w.lblSave()->text(), QStringLiteral("MODIFIED"));

        // An empty box gives the default name back.
        w.txtVarName()->setFocus();
        w.txtVarName()->selectAll();
        QTest::keyClick(w.txtVarName(), Qt::Key_Delete);
        w.txtMain()->setFocus();
        QCOMPARE(w.document().VarName, Bytes("untitled"));
        QCOMPARE(w.txtVarName()->text(), QStringLiteral("untitled"));
    }

    // The buttons and the close request run the unsaved-changes prompt of
    // the commands (its cases are the commands' table); a name typed into
    // the box and not yet left counts, also when the window is closed with
    // the focus still in the box.
    void unsavedChangesPromptIsWired() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QVERIFY(f.boxes.questions.empty()); // saved: no question

        w.txtMain()->setFocus();
        QTest::keyClicks(w.txtMain(), "draft");
        f.boxes.answers = {Answer::Cancel};
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(f.boxes.questions.size(), std::size_t(1));
        QCOMPARE(w.document().text(), Bytes("draft"));

        f.boxes.answers = {Answer::Cancel};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(f.boxes.questions.size(), std::size_t(2));

        f.boxes.answers = {Answer::No};
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(w.txtMain()->toPlainText(), QString());
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: 2"));

        // Saved, then only a new name typed: closing asks and the name is kept.
        w.txtVarName()->setFocus();
        w.txtVarName()->selectAll();
        QTest::keyClicks(w.txtVarName(), "Renamed");
        w.cmdCharMap_Click();
        QPointer<CharMap> map = w.charMap();
        f.boxes.answers = {Answer::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(f.boxes.questions.size(), std::size_t(4));
        QCOMPARE(w.document().VarName, Bytes("renamed"));
        QCOMPARE(w.lblSave()->text(), QStringLiteral("MODIFIED"));

        f.boxes.answers = {Answer::No};
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(map == nullptr || !map->isVisible()); // closes with the window
    }

    // A name typed without an extension is saved under that name, and the
    // title shows it.
    void aNameWithoutADotIsSavedAsTyped() {
        Fixture f;
        ScratchFolder dir;
        f.window.document().setText("kept");
        f.dlgFile.choose(dir / "notes");
        QTest::mouseClick(f.window.cmdSave(), Qt::LeftButton);
        QCOMPARE(readBytes(dir / "notes"), std::string("kept\r\n"));
        QCOMPARE(f.window.lblFileName()->text(), QStringLiteral("notes"));
        QCOMPARE(f.window.lblSave()->text(), QString());
    }

    // Whatever Load .85s refuses, the window shows the one message and keeps
    // what it showed.
    void aRefusedStringFileShowsTheMessage() {
        Fixture f;
        ScratchFolder dir;
        writeBytes(dir / "long.85s", support::scrollet(Bytes(190, 'n'), "x"));
        f.dlgFile.choose(dir / "long.85s");
        QTest::mouseClick(f.window.cmdLoadS(), Qt::LeftButton);
        QCOMPARE(f.boxes.errors.size(), std::size_t(1));
        QCOMPARE(f.boxes.errors[0].message, std::string("Not a valid 'Scrollet' String."));
        QCOMPARE(f.window.lblFileName()->text(), QStringLiteral("Untitled"));
        QCOMPARE(f.window.txtVarName()->text(), QStringLiteral("untitled"));
    }

    void loadedTextShowsInTheWindow() {
        Fixture f;
        ScratchFolder dir;
        writeBytes(dir / "Notes.vlm", "NOTES\r\nHello\r\nWorld\r\n");
        f.dlgFile.choose(dir / "Notes.vlm");
        QTest::mouseClick(f.window.cmdLoad(), Qt::LeftButton);
        QCOMPARE(f.window.txtMain()->toPlainText(), QStringLiteral("Hello\nWorld"));
        QCOMPARE(f.window.txtVarName()->text(), QStringLiteral("notes"));
        QCOMPARE(f.window.lblFileName()->text(), QStringLiteral("notes"));
        QCOMPARE(f.window.lblSave()->text(), QString());
        QCOMPARE(f.window.lblSize()->text(), QStringLiteral("Data Size: 13"));
    }

    void standardKeysRunTheirCommands() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        // Typed in the text area, which keeps the focus.
        const struct {
            QKeyCombination key;
            bool save;
        } dialogs[] = {{Qt::CTRL | Qt::Key_S, true},
                       {Qt::CTRL | Qt::SHIFT | Qt::Key_S, true},
                       {Qt::CTRL | Qt::Key_O, false}};
        for (const auto& d : dialogs) {
            const std::size_t before = f.dlgFile.shown.size();
            QTest::keyClick(w.txtMain(), d.key.key(), d.key.keyboardModifiers());
            QTRY_COMPARE(f.dlgFile.shown.size(), before + 1);
            QCOMPARE(f.dlgFile.shown.back().save, d.save);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtMain()));
        }
        // New and closing ask about the unsaved text; Cancel keeps it.
        QTest::keyClicks(w.txtMain(), "x");
        const QKeyCombination asking[] = {Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_W,
                                          Qt::CTRL | Qt::Key_Q};
        for (std::size_t i = 0; i < std::size(asking); ++i) {
            QTest::keyClick(w.txtMain(), asking[i].key(), asking[i].keyboardModifiers());
            QTRY_COMPARE(f.boxes.questions.size(), i + 1);
            QVERIFY(w.isVisible());
            QCOMPARE(f.doc().text(), Bytes("x"));
        }
    }

    void sizeReadoutWarnsWhileTooLongForAString() {
        Fixture f;
        const QColor normal = f.window.lblSize()->palette().color(QPalette::WindowText);
        // "untitled": n = 8, so the data may be 32,690 bytes.
        const struct {
            std::size_t characters;
            bool tooLong;
        } sizes[] = {{32688, false}, {32689, true}, {0, false}};
        for (const auto& s : sizes) {
            f.doc().setText(Bytes(s.characters, 'q'));
            const QLabel* size = f.window.lblSize();
            QCOMPARE(size->text(), QStringLiteral("Data Size: %1").arg(s.characters + 2));
            QCOMPARE(size->palette().color(QPalette::WindowText) != normal, s.tooLong);
            QCOMPARE(size->toolTip().contains(QStringLiteral("32,690")), s.tooLong);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
