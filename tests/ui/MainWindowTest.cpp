// The main window: layout, captions, keys, and every event wired to its command.
#include "Fakes.h"

#include "cli/Commands.h"
#include "formats/TextEncoding.h"
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

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vellum;
using namespace vellum::ui;
using vellum::test::FakeBoxes;
using vellum::test::FakeDialog;

namespace {

struct Fixture {
    FakeDialog dlgFile;
    FakeDialog dlgString;
    FakeBoxes boxes;
    MainWindow window{EditorServices{&dlgFile, &dlgString, &boxes, nullptr, nullptr}};

    void showActive() {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startUpBoxStandsWhereTheWindowWillAppear() {
        // A box shown while the window is being made (a file named on the
        // command line that cannot be opened) is owned by the hidden window.
        QRect box;
        FakeDialog dlgFile;
        MainWindow window(EditorServices{&dlgFile, &dlgFile, nullptr, nullptr, nullptr},
                          [&box](MainWindow& hidden) {
                              QTimer::singleShot(50, [&box] {
                                  QWidget* shown = QApplication::activeModalWidget();
                                  QVERIFY(shown != nullptr);
                                  box = shown->frameGeometry();
                                  shown->close();
                              });
                              QtMessageBoxes(&hidden).showError("x.vlm: No such file", "Error");
                          });
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
        QCOMPARE(f.window.size(), QSize(419, 275));
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
        struct Expected {
            QWidget* control;
            QRect rect;
            QString caption;
        };
        const Expected expected[] = {
            {w.cmdNew(), {319, 4, 97, 23}, "&New"},
            {w.cmdSave(), {319, 27, 45, 23}, "&Save"},
            {w.cmdSaveAs(), {365, 27, 51, 23}, "Save &As"},
            {w.cmdLoad(), {319, 50, 97, 23}, "&Load"},
            {w.cmdLoadS(), {319, 73, 97, 23}, "Load .&85s"},
            {w.cmdString(), {319, 105, 97, 29}, "Compile into TI-8&5 String"},
            {w.lblHeader(), {316, 144, 100, 35}, "&Variable Name" + QString(30, ' ') + "Filename"},
            {w.txtVarName(), {326, 155, 86, 8}, "untitled"},
            {w.lblFileName(), {326, 178, 84, 8}, "Untitled"},
            {w.lblSave(), {324, 192, 83, 7}, ""},
            {w.cmdCharMap(), {319, 205, 97, 19}, "Character Map"},
        };
        for (const Expected& e : expected) {
            QCOMPARE(e.control->geometry(), e.rect);
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
        QCOMPARE(w.txtMain()->geometry(), QRect(0, 0, 315, 275));
        QCOMPARE(w.lblSize()->pos(), QPoint(318, 226));
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
        QVERIFY(f.boxes.shown.empty());
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
        QTRY_COMPARE(f.boxes.shown.size(), std::size_t(1));
        QCOMPARE(f.boxes.shown[0].message, std::string("File Unsaved. Save Now?"));
        QCOMPARE(f.boxes.shown[0].title, std::string("Question"));
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
        QVERIFY(f.boxes.shown.empty()); // nothing was unsaved
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
        const auto dir = std::filesystem::temp_directory_path() / "vellum-ui-compile";
        std::filesystem::create_directories(dir);
        const auto path = dir / "untitled.85s";
        f.window.document().setText("AB\r\nC");
        f.dlgString.choose(path.string(), "untitled.85s");
        QTest::mouseClick(f.window.cmdString(), Qt::LeftButton);
        const std::string file = readFile(path);
        QCOMPARE(file.size(), std::size_t(83));
        QCOMPARE(file.substr(65 + 8, 7), std::string("\x00\xef"
                                                     "AB\nC\x00",
                                                     7));
        std::filesystem::remove_all(dir);
    }

    void compilingAUtf8FileGivesWhatTypingAndPastingGive() {
        const QString chars = QString::fromUtf8("θπ→≠≤≥√Σ€\n");
        const auto dir = std::filesystem::temp_directory_path() / "vellum-ui-typed";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "untitled.txt", std::ios::binary) << chars.toStdString();
        std::ostringstream out, err;
        QCOMPARE(cli::compile({(dir / "untitled.txt").string()}, {out, err}), 0);
        QVERIFY(err.str().ends_with(replacedCharactersMessage(1) + "\n"));
        const std::string fromFile = readFile(dir / "untitled.85s").substr(53);
        for (const bool typed : {true, false}) {
            Fixture f;
            f.showActive();
            f.window.txtMain()->setFocus();
            if (typed) {
                for (const QChar ch : chars.chopped(1)) {
                    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                    QApplication::sendEvent(f.window.txtMain(), &press);
                }
                QTest::keyClick(f.window.txtMain(), Qt::Key_Return);
            } else {
                QApplication::clipboard()->setText(chars);
                f.window.txtMain()->paste();
                QVERIFY(f.window.lblNote()->isVisible());
                QCOMPARE(f.window.lblNote()->text().toStdString(), replacedCharactersMessage(1));
            }
            f.dlgString.choose((dir / "window.85s").string(), "window.85s");
            f.window.editor().cmdString_Click();
            QCOMPARE(readFile(dir / "window.85s").substr(53), fromFile);
            QTest::keyClicks(f.window.txtMain(), "x"); // the next change hides a note
            QVERIFY(!f.window.lblNote()->isVisible());
        }
        std::filesystem::remove_all(dir);
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

    void newAsksAboutUnsavedText() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QVERIFY(f.boxes.shown.empty()); // saved: no question

        w.document().setText("keep me");
        f.boxes.answers = {Answer::Cancel};
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), std::size_t(1));
        QCOMPARE(w.document().text(), Bytes("keep me"));

        // Yes with a cancelled save dialog: the text stays (nothing was saved).
        f.boxes.answers = {Answer::Yes};
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(f.dlgFile.shown.size(), std::size_t(1));
        QVERIFY(f.dlgFile.shown[0].save);
        QCOMPARE(w.document().text(), Bytes("keep me"));

        f.boxes.answers = {Answer::No};
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(w.document().text(), Bytes());
        QVERIFY(w.document().IsSaved);
        QCOMPARE(w.txtMain()->toPlainText(), QString());
        QCOMPARE(w.lblSize()->text(), QStringLiteral("Data Size: 2"));

        // Yes with a save that succeeds: saved, then emptied.
        const auto dir = std::filesystem::temp_directory_path() / "vellum-ui-new";
        std::filesystem::create_directories(dir);
        w.document().setText("saved text");
        f.boxes.answers = {Answer::Yes};
        f.dlgFile.choose((dir / "a.txt").string(), "a.txt");
        QTest::mouseClick(w.cmdNew(), Qt::LeftButton);
        QCOMPARE(readFile(dir / "a.txt"), std::string("saved text\r\n"));
        QCOMPARE(w.document().text(), Bytes());
        std::filesystem::remove_all(dir);
    }

    void closingAsksAboutUnsavedText() {
        Fixture f;
        f.showActive();
        MainWindow& w = f.window;
        w.txtMain()->setFocus();
        QTest::keyClicks(w.txtMain(), "draft");

        f.boxes.answers = {Answer::Cancel};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(w.document().text(), Bytes("draft"));

        f.boxes.answers = {Answer::Yes}; // and the save dialog is cancelled
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());

        w.cmdCharMap_Click();
        QPointer<CharMap> map = w.charMap();
        QVERIFY(map->isVisible());
        f.boxes.answers = {Answer::No};
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(map == nullptr || !map->isVisible()); // closes with the window
        QCOMPARE(f.boxes.shown.size(), std::size_t(3));
        for (const auto& shown : f.boxes.shown) {
            QCOMPARE(shown.message, std::string("File Unsaved. Save Now?"));
        }
    }

    void loadedTextShowsInTheWindow() {
        Fixture f;
        const auto dir = std::filesystem::temp_directory_path() / "vellum-ui-load";
        std::filesystem::create_directories(dir);
        {
            std::ofstream out(dir / "Notes.vlm", std::ios::binary);
            out << "NOTES\r\nHello\r\nWorld\r\n";
        }
        f.dlgFile.choose((dir / "Notes.vlm").string(), "Notes.vlm");
        QTest::mouseClick(f.window.cmdLoad(), Qt::LeftButton);
        QCOMPARE(f.window.txtMain()->toPlainText(), QStringLiteral("Hello\nWorld\n"));
        QCOMPARE(f.window.txtVarName()->text(), QStringLiteral("notes"));
        QCOMPARE(f.window.lblFileName()->text(), QStringLiteral("notes"));
        QCOMPARE(f.window.lblSave()->text(), QString());
        QCOMPARE(f.window.lblSize()->text(), QStringLiteral("Data Size: 14"));
        std::filesystem::remove_all(dir);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
