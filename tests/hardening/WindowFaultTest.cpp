// Faults users meet, through the real window: a 100 MB text document, a 10 MB
// paste (both refused with a message, since the window takes at most a few
// megabytes), and saves onto a file system that will not take the file.
#include "tests/support/PosixFileSizeLimit.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedWindow.h"

#include "core/Document.h"
#include "ui/Controls.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

using namespace vellum;
using namespace vellum::ui;
using vellum::support::FileSizeLimit;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

struct Window : support::ScriptedWindow {
    Window() {
        window.show();
        window.activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString size() const { return window.lblSize()->text(); }
};

// Lines of calculator text (every byte but NUL, CR and LF), CR LF after each,
// up to at least `size` bytes.
std::string calculatorLines(std::size_t size) {
    std::string line;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            line += static_cast<char>(b);
        }
        if (line.size() == 61) {
            break;
        }
    }
    line += "\r\n";
    std::string text;
    text.reserve(size + line.size());
    for (std::size_t i = 0; text.size() < size; ++i) {
        // Vary the lines a little so that no two neighbours are alike.
        text += line;
        text[text.size() - 3] = static_cast<char>('A' + i % 26);
    }
    return text;
}

} // namespace

class WindowFaultTest : public QObject {
    Q_OBJECT

  private slots:
    // A 100 MB document is refused with a box that says why, and the
    // document stays as it was; one just inside the limit arrives whole,
    // takes a keystroke, saves back byte for byte, and a compile of it stops
    // at the calculator's limit with the overflow box.
    void hugeDocuments() {
        ScratchFolder folder;
        const std::string hugePath = folder / "huge.txt";
        writeBytes(hugePath, calculatorLines(100 * kMegabyte));

        Window w;
        w.window.txtMain()->setFocus();
        QTest::keyClicks(w.window.txtMain(), "mine");
        w.doc().IsSaved = true;
        w.dlgFile.choose(hugePath);
        w.click(w.window.cmdLoad());
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QCOMPARE(w.boxes.errors[0].title, std::string("Error"));
        QVERIFY(w.boxes.errors[0].message.find("too large") != std::string::npos);
        QCOMPARE(w.doc().text(), Bytes("mine"));
        QCOMPARE(w.window.lblFileName()->text(), QStringLiteral("Untitled"));
        QVERIFY(!w.doc().HasPath);
        w.boxes.errors.clear();

        const std::string path = folder / "big.txt";
        std::string content = calculatorLines(MainWindow::kMaxTextBytes - 200);
        writeBytes(path, content);
        w.dlgFile.choose(path);
        w.click(w.window.cmdLoad());
        QVERIFY(w.boxes.errors.empty());
        QCOMPARE(w.window.lblFileName()->text(), QStringLiteral("big"));
        QCOMPARE(w.window.lblSave()->text(), QString());
        // The file's closing CR LF is no part of the text.
        QVERIFY(content.ends_with("\r\n"));
        QCOMPARE(w.size(), QString("Data Size: %1").arg(countCharacters(content) - 1 + 2));

        // A keystroke at the very end of the text.
        w.window.txtMain()->setFocus();
        QTest::keyClick(w.window.txtMain(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(w.window.txtMain(), Qt::Key_X, Qt::NoModifier, 'x');
        QVERIFY(!w.doc().IsSaved);
        QCOMPARE(w.size(), QString("Data Size: %1").arg(countCharacters(content) + 2));

        w.click(w.window.cmdSave());
        QVERIFY(w.boxes.errors.empty());
        QVERIFY(w.doc().IsSaved);
        QCOMPARE(w.window.lblSave()->text(), QString());
        const std::string saved = readBytes(path);
        QCOMPARE(saved.size(), content.size() + 1);
        QVERIFY(saved == content.substr(0, content.size() - 2) + "x\r\n");

        // Far beyond what a string file holds: one box before the dialog,
        // and no file.
        const std::string compiled = folder / "big.85s";
        w.dlgString.choose(compiled);
        w.click(w.window.cmdString());
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QVERIFY(w.boxes.critical.empty());
        QVERIFY(w.dlgString.shown.empty());
        QVERIFY(!fs::exists(compiled));
    }

    // A file with a line longer than the window takes is refused (a lone LF
    // ends a line in a text file, as CR LF does).
    void longLines() {
        ScratchFolder folder;
        const std::size_t limit = MainWindow::kMaxLineBytes;
        const std::pair<std::string, bool> rows[] = {
            {"x\r\n" + std::string(limit + 1, 'a'), false},
            {std::string(limit / 2, 'a') + "\n" + std::string(limit / 2, 'a'), true},
            {std::string(limit, 'a') + "\r\nx", true}};
        for (const auto& [content, loads] : rows) {
            Window w;
            writeBytes(folder / "a.txt", content);
            w.dlgFile.choose(folder / "a.txt");
            w.click(w.window.cmdLoad());
            QCOMPARE(w.doc().text().size() >= limit, loads);
            QCOMPARE(w.boxes.errors.size(), std::size_t(loads ? 0 : 1));
            QVERIFY(loads || w.boxes.errors[0].message.find("line of 65 KB") != std::string::npos);
        }
    }

    // A 10 MB paste is refused with a box and leaves the text alone; a paste
    // that fits lands whole at the caret and survives a save and a load as a
    // Vellum document.
    void largePastes() {
        ScratchFolder folder;
        Window w;
        w.window.txtMain()->setFocus();
        QTest::keyClicks(w.window.txtMain(), "head ");

        const QString line = QStringLiteral("\u03C0r\u00B2 \u2264 10 \u2192 \u03B8\u2081 x\n");
        const auto linesOf = [&line](std::size_t bytes) {
            QString text;
            while (std::size_t(text.size()) < bytes) {
                text += line;
            }
            return text;
        };
        QApplication::clipboard()->setText(linesOf(10 * kMegabyte));
        QTest::keyClick(w.window.txtMain(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QVERIFY(w.boxes.errors[0].message.find("too large") != std::string::npos);
        QCOMPARE(w.doc().text(), Bytes("head "));
        w.boxes.errors.clear();

        const QString pasted = linesOf(MainWindow::kMaxTextBytes * 3 / 4);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(w.window.txtMain(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(w.window.txtMain(), " tail");
        QVERIFY(w.boxes.errors.empty());

        const Bytes text = w.doc().text();
        QVERIFY(text.starts_with("head "));
        QVERIFY(text.ends_with(" tail"));
        // Every pasted line break is one CR LF, every other character one byte.
        QCOMPARE(text.size(), std::size_t(5 + pasted.size() + pasted.count('\n') + 5));
        QCOMPARE(w.size(), QString("Data Size: %1").arg(countCharacters(text) + 2));

        const std::string path = folder / "pasted.vlm";
        w.dlgFile.choose(path);
        w.click(w.window.cmdSaveAs());
        QVERIFY(w.boxes.errors.empty());

        Window again;
        again.dlgFile.choose(path);
        again.click(again.window.cmdLoad());
        QCOMPARE(again.doc().text(), text);
    }

    // A save that the file system refuses: the old file stays as it was, no
    // temporary file is left, the error box is shown and the document still
    // counts as modified.
    void saveOntoAFileThatCannotGrow() {
        ScratchFolder folder;
        const std::string path = folder / "story.txt";
        writeBytes(path, "the old story\r\n");

        Window w;
        w.dlgFile.choose(path);
        w.click(w.window.cmdLoad());
        w.window.txtMain()->setFocus();
        QTest::keyClicks(w.window.txtMain(), QString(3000, QLatin1Char('y')));
        {
            FileSizeLimit limit(1000);
            w.click(w.window.cmdSave());
        }
        QCOMPARE(readBytes(path), std::string("the old story\r\n"));
        QCOMPARE(folder.entries(), std::vector<std::string>{"story.txt"});
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QVERIFY(w.boxes.errors[0].message.find(path) != std::string::npos);
        QVERIFY(!w.doc().IsSaved); // and the caption is not refreshed

        // Once the file system has room again, the same Save writes it.
        w.click(w.window.cmdSave());
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QCOMPARE(readBytes(path), std::string(3000, 'y') + "the old story\r\n");
        QVERIFY(w.doc().IsSaved);
        QCOMPARE(w.window.lblSave()->text(), QString());
    }

    // The same on a really full file system (a small tmpfs; needs the right to
    // mount, so it is skipped elsewhere), and the string writer's box for a
    // compile onto it.
    void saveOntoAFullFileSystem() {
        ScratchFolder folder;
        const std::string mountPoint = folder / "full";
        fs::create_directory(mountPoint);
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            QSKIP("cannot mount a small tmpfs here");
        }
        struct Unmount {
            std::string path;
            ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
        } unmount{mountPoint};

        const std::string path = mountPoint + "/story.vlm";
        writeBytes(path, "note\r\nthe old story\r\n");
        writeBytes(mountPoint + "/filler", std::string(40 * 1024, 'f'));

        Window w;
        w.dlgFile.choose(path);
        w.click(w.window.cmdLoad());
        w.window.txtMain()->setFocus();
        QTest::keyClick(w.window.txtMain(), Qt::Key_End, Qt::ControlModifier);
        QApplication::clipboard()->setText(QString(20 * 1024, QLatin1Char('z')));
        QTest::keyClick(w.window.txtMain(), Qt::Key_V, Qt::ControlModifier);
        w.click(w.window.cmdSave());

        QCOMPARE(readBytes(path), std::string("note\r\nthe old story\r\n"));
        QCOMPARE(w.boxes.errors.size(), std::size_t(1));
        QVERIFY(!w.doc().IsSaved);
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(mountPoint)) {
            left.push_back(entry.path().filename().string());
        }
        std::sort(left.begin(), left.end());
        QCOMPARE(left, (std::vector<std::string>{"filler", "story.vlm"}));

        // A compile onto the full disk: the writer's Yes/No box names the
        // failure; No leaves no partial file.
        const std::string compiled = mountPoint + "/story.85s";
        w.dlgString.choose(compiled);
        w.boxes.answers.push_back(Answer::No);
        w.click(w.window.cmdString());
        QCOMPARE(w.boxes.critical.size(), std::size_t(1));
        QVERIFY(w.boxes.critical[0].message.find("No space left on device") != std::string::npos);
        QVERIFY(!fs::exists(compiled));
    }
};

QTEST_MAIN(WindowFaultTest)
#include "WindowFaultTest.moc"
