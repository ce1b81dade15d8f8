// Typing into a large document: one keystroke through the whole window (the
// text widget, the document's change handler and the size readout), against
// the bare edit of a plain text widget and against what rescanning the text
// for the readout would cost.
#include "tests/support/ScriptedWindow.h"
#include "ui/MainWindow.h"
#include "ui/TextArea.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vellum;

QApplication& app() {
    static int argc = 1;
    static char name[] = "vellum-bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> instance = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *instance;
}

// A document of about `size` bytes in lines of 64 characters.
Bytes document(std::size_t size) {
    const Bytes line = "The quick brown fox jumps over the lazy dog, 0123456789 ABCDEF\r\n";
    Bytes text;
    text.reserve(size + line.size());
    while (text.size() < size) {
        text += line;
    }
    return text;
}

void type(QWidget* widget, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// A keystroke in the middle of the text, then its Backspace, with the
// repaint that follows: two keystrokes an iteration (items_per_second
// counts keystrokes).
void keystrokes(benchmark::State& state, QWidget* widget) {
    widget->setFocus();
    for (auto _ : state) {
        type(widget, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
        type(widget, Qt::Key_Backspace, QString());
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_KeystrokeInWindow(benchmark::State& state) {
    app();
    support::ScriptedWindow scripted; // no box can block
    ui::MainWindow& window = scripted.window;
    window.document().setText(document(static_cast<std::size_t>(state.range(0))));
    window.show();
    QTextCursor cursor = window.txtMain()->textCursor();
    cursor.setPosition(window.txtMain()->document()->characterCount() / 2);
    window.txtMain()->setTextCursor(cursor);
    QCoreApplication::processEvents();
    keystrokes(state, window.txtMain());
    window.document().IsSaved = true; // close without asking
}
BENCHMARK(BM_KeystrokeInWindow)->Arg(32 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInPlainWidget(benchmark::State& state) {
    app();
    QPlainTextEdit edit;
    edit.resize(315, 275);
    edit.setPlainText(QString::fromStdString(document(static_cast<std::size_t>(state.range(0)))));
    edit.show();
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(edit.document()->characterCount() / 2);
    edit.setTextCursor(cursor);
    QCoreApplication::processEvents();
    keystrokes(state, &edit);
}
BENCHMARK(BM_KeystrokeInPlainWidget)
    ->Arg(32 * 1024)
    ->Arg(1024 * 1024)
    ->Unit(benchmark::kMicrosecond);

// What a readout that converts and counts the whole text would add to
// every keystroke.
void BM_RescanForReadout(benchmark::State& state) {
    app();
    ui::TextArea area;
    area.setBytes(document(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(countCharacters(area.bytes()));
    }
}
BENCHMARK(BM_RescanForReadout)->Arg(32 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMicrosecond);

} // namespace
