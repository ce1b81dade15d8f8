#include "TextArea.h"

#include "Display.h"
#include "Fonts.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace vellum::ui {
namespace {

// The display form that the bytes of a piece of text would show after a save
// and a load. '\n' stands for a line break.
QString canonicalForm(const QString& text) {
    return displayText(textBytes(text));
}

// Qt breaks a line at a word boundary by reading on to the next chance to
// break; in a long run without one it does so for every screen line, which
// is quadratic in the run's length (seconds for some ten thousand
// characters). Past this many characters without a space the text wraps
// anywhere instead, which looks the same for the run itself.
constexpr qsizetype kLongestWordWrapRun = 4096;

bool hasLongRunWithoutSpace(QStringView text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = (c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator)
                  ? 0
                  : run + 1;
        if (run > kLongestWordWrapRun) {
            return true;
        }
    }
    return false;
}

// The length of the longest line of a display text ('\n' between lines).
std::size_t longestLine(QStringView text) {
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(QLatin1Char('\n')); end >= 0;
         start = end + 1, end = text.indexOf(QLatin1Char('\n'), start)) {
        longest = std::max(longest, end - start);
    }
    return static_cast<std::size_t>(std::max(longest, text.size() - start));
}

} // namespace

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(calculatorFont());
    document()->setDefaultFont(calculatorFont());
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab walks the controls; the character map puts in byte 9.
    setTabChangesFocus(true);
    // The calculator's characters are not for a spell checker or an input
    // method's predictions.
    setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);

    connect(document(), &QTextDocument::contentsChange, this, &TextArea::onContentsChange);
    connect(document(), &QTextDocument::contentsChanged, this, &TextArea::onContentsChanged);
}

TextArea::~TextArea() {
    // The base class tears the document down after this object is gone.
    disconnect(document(), nullptr, this, nullptr);
}

Bytes TextArea::bytes() const {
    return textBytes(toPlainText());
}

void TextArea::setBytes(const Bytes& bytes) {
    programSet_ = true;
    const QString text = displayText(bytes);
    chooseWrapMode(text, true);
    setPlainText(text);
    programSet_ = false;
    changeFrom_ = changeTo_ = -1;
    emit textEdited();
}

std::size_t TextArea::characterCount() const {
    // Every display character is one UTF-16 unit and one byte; a block
    // separator is one line break (CR LF); the document counts one separator
    // more than the text holds.
    return static_cast<std::size_t>(document()->characterCount() - 1);
}

void TextArea::replaceSelection(std::uint8_t byte) {
    textCursor().insertText(displayChar(byte));
}

void TextArea::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter would put a soft line break into the text; the document
    // knows only one kind of line break.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

std::size_t TextArea::byteCount() const {
    // Each block separator is one character but two bytes.
    return characterCount() + static_cast<std::size_t>(document()->blockCount() - 1);
}

void TextArea::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    // Folded up front, so that even a very large paste is converted once and
    // the change handler only has to look at its two ends.
    std::size_t replaced = 0;
    const QString text = displayText(textBytes(source->text(), &replaced));
    const QTextCursor cursor = textCursor();
    const auto selected = static_cast<std::size_t>(cursor.selectionEnd() - cursor.selectionStart());
    // A line break ('\n' here) takes two bytes.
    const auto pasted = static_cast<std::size_t>(text.size() + text.count(QLatin1Char('\n')));
    const std::size_t after = byteCount() - std::min(selected, byteCount()) + pasted;
    if (after > sizeLimit_) {
        emit pasteTooLarge(after);
        return;
    }
    if (const std::size_t line = lineLengthAfterPaste(text); line > lineLengthLimit_) {
        emit pasteLineTooLong(line);
        return;
    }
    pastedCanonical_ = true;
    textCursor().insertText(text);
    pastedCanonical_ = false;
    ensureCursorVisible();
    if (replaced > 0) {
        emit pasteReplaced(replaced);
    }
}

std::size_t TextArea::lineLengthAfterPaste(const QString& text) const {
    // The pasted text's first and last lines join the parts of the lines
    // around the selection that stay.
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const auto before = static_cast<std::size_t>(cursor.selectionStart() - first.position());
    const auto after =
        static_cast<std::size_t>(last.position() + last.length() - 1 - cursor.selectionEnd());
    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    if (firstBreak < 0) {
        return before + static_cast<std::size_t>(text.size()) + after;
    }
    const qsizetype lastBreak = text.lastIndexOf(QLatin1Char('\n'));
    return std::max({before + static_cast<std::size_t>(firstBreak),
                     longestLine(QStringView(text).mid(firstBreak + 1, lastBreak - firstBreak)),
                     static_cast<std::size_t>(text.size() - lastBreak - 1) + after});
}

void TextArea::chooseWrapMode(const QString& text, bool mayReturnToWords) {
    if (hasLongRunWithoutSpace(text)) {
        setWordWrapMode(QTextOption::WrapAnywhere);
    } else if (mayReturnToWords) {
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
}

void TextArea::onContentsChange(int position, int removed, int added) {
    if (programSet_ || fixing_ || (removed == 0 && added == 0)) {
        return;
    }
    const int end = position + added;
    if (changeFrom_ < 0) {
        changeFrom_ = position;
        changeTo_ = end;
    } else {
        changeFrom_ = std::min(changeFrom_, position);
        changeTo_ = std::max(changeTo_, end);
    }
}

void TextArea::onContentsChanged() {
    if (programSet_ || fixing_ || changeFrom_ < 0) {
        return;
    }
    const int from = changeFrom_;
    const int to = changeTo_;
    changeFrom_ = changeTo_ = -1;
    if (pastedCanonical_) {
        // Only the characters where the paste meets the old text can pair up.
        // The far end first: a repair there does not move the near end.
        canonicalize(to - 1, to + 1);
        canonicalize(from - 1, from + 1);
    } else {
        canonicalize(from - 1, to + 1);
    }
    // A paste, typing or deleting a space can make a long run: only in the
    // lines the change touched.
    const QTextBlock end = document()->findBlock(to).next();
    for (QTextBlock block = document()->findBlock(from);
         block != end && wordWrapMode() != QTextOption::WrapAnywhere; block = block.next()) {
        chooseWrapMode(block.text(), false);
    }
    emit textEdited();
}

void TextArea::canonicalize(int from, int to) {
    // The last position of a document is the end of its last block and cannot
    // be selected.
    const int last = document()->characterCount() - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, 0, last);
    if (from >= to) {
        return;
    }
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    // selectedText() shows block separators as U+2029; canonical text uses '\n'.
    QString current = cursor.selectedText();
    current.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const QString canonical = canonicalForm(current);
    if (canonical == current) {
        return;
    }
    // Replace only what differs, so that a caret after the repaired part
    // stays after it.
    qsizetype head = 0;
    while (head < current.size() && head < canonical.size() && current[head] == canonical[head]) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < current.size() - head && tail < canonical.size() - head &&
           current[current.size() - 1 - tail] == canonical[canonical.size() - 1 - tail]) {
        ++tail;
    }
    cursor.setPosition(from + static_cast<int>(head));
    cursor.setPosition(to - static_cast<int>(tail), QTextCursor::KeepAnchor);
    // The repair belongs to the edit that made it necessary: one undo step.
    fixing_ = true;
    cursor.joinPreviousEditBlock();
    cursor.insertText(canonical.mid(head, canonical.size() - head - tail));
    cursor.endEditBlock();
    fixing_ = false;
}

TextAreaBox::TextAreaBox(TextArea* area) : area_(area) {
    connection_ =
        QObject::connect(area_, &TextArea::textEdited, area_, [this] { notifyChanged(); });
}

TextAreaBox::~TextAreaBox() {
    QObject::disconnect(connection_);
}

} // namespace vellum::ui
