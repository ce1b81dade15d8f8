// Typing into a large document: one keystroke through the whole window (the
// text widget, the document's change handler and the size readout), against
// the bare edit of a plain text widget and against what rescanning the text
// for the readout would cost. Then one long line: shown and typed into.
#include "tests/support/ScriptedWindow.h"
#include "ui/Fonts.h"
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
        auto application = std::make_unique<QApplication>(argc, argv);
        ui::registerFonts();
        return application;
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

// One line of `size` bytes: letters without a space, or words of five
// letters and a space.
Bytes oneLine(std::size_t size, bool words) {
    Bytes text(size, 'a');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = words && i % 6 == 5 ? ' ' : static_cast<char>('a' + i % 26);
    }
    return text;
}

// From setting the text to the first paint of the window, then keystrokes in
// the middle of the line. The window's loaders refuse lines over
// kMaxLineBytes; setting the document's text directly shows what a longer
// line would cost.
void longLine(benchmark::State& state, bool words, bool typing) {
    app();
    support::ScriptedWindow scripted; // no box can block
    ui::MainWindow& window = scripted.window;
    window.show();
    QCoreApplication::processEvents();
    const Bytes text = oneLine(static_cast<std::size_t>(state.range(0)), words);
    if (!typing) {
        for (auto _ : state) {
            window.document().setText(text);
            window.txtMain()->repaint();
            QCoreApplication::processEvents();
            state.PauseTiming();
            window.document().setText({});
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    } else {
        window.document().setText(text);
        QTextCursor cursor = window.txtMain()->textCursor();
        cursor.setPosition(static_cast<int>(text.size() / 2));
        window.txtMain()->setTextCursor(cursor);
        QCoreApplication::processEvents();
        keystrokes(state, window.txtMain());
    }
    window.document().IsSaved = true;
}

void BM_LongLineShown(benchmark::State& state) {
    longLine(state, false, false);
}
void BM_LongLineKeystroke(benchmark::State& state) {
    longLine(state, false, true);
}
void BM_LongLineOfWordsShown(benchmark::State& state) {
    longLine(state, true, false);
}
void BM_LongLineOfWordsKeystroke(benchmark::State& state) {
    longLine(state, true, true);
}
const auto kLineLengths = {std::int64_t{ui::MainWindow::kMaxLineBytes},
                           std::int64_t{ui::MainWindow::kMaxTextBytes}};
BENCHMARK(BM_LongLineShown)->ArgsProduct({kLineLengths})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongLineKeystroke)->ArgsProduct({kLineLengths})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongLineOfWordsShown)->ArgsProduct({kLineLengths})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongLineOfWordsKeystroke)->ArgsProduct({kLineLengths})->Unit(benchmark::kMillisecond);

// The same unbroken line in a plain widget wrapped at word boundaries, as the
// text box once was: Qt reads on to the end of the run for every screen line.
void BM_LongLineShownWrappedAtWords(benchmark::State& state) {
    app();
    QPlainTextEdit edit;
    edit.resize(315, 275);
    edit.setFont(ui::calculatorFont());
    edit.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit.show();
    const QString text =
        QString::fromStdString(oneLine(static_cast<std::size_t>(state.range(0)), false));
    for (auto _ : state) {
        edit.setPlainText(text);
        edit.repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        edit.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LongLineShownWrappedAtWords)
    ->Arg(16 * 1024)
    ->Arg(64 * 1024)
    ->Unit(benchmark::kMillisecond);

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
