#include "Controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vellum::ui {

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setAutoDefault(false);
    setDefault(false);
}

bool CommandButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::ShortcutFocusReason);
    }
    return QPushButton::event(event);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option); // bevel and focus only

    QRect area = rect().adjusted(2, 1, -2, -1);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On)) {
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) {
        flags |= Qt::TextHideMnemonic;
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, flags, caption);
}

NameBox::NameBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    // The box has the window's colour, not the white of an entry field.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    setPalette(pal);
}

void NameBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The focus leaves for another control, not for another window or a
    // context menu of the box itself.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit lostFocus();
    }
}

WrappingLabel::WrappingLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAutoFillBackground(true);
}

QStringList WrappingLabel::lines() const {
    const QFontMetrics metrics(font());
    const int width = contentsRect().width();
    // Width as drawn: an access-key mark takes no room.
    auto advance = [&metrics](const QString& s) {
        QString shown = s;
        shown.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        shown.remove(QLatin1Char('&'));
        shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        return metrics.horizontalAdvance(shown);
    };

    QStringList result;
    QString line;
    const QString caption = text();
    int i = 0;
    while (i < caption.size()) {
        if (caption[i] == QLatin1Char(' ')) {
            if (advance(line + QLatin1Char(' ')) > width && !line.isEmpty()) {
                result << line; // the space that does not fit ends the line
                line.clear();
            } else {
                line += QLatin1Char(' ');
            }
            ++i;
            continue;
        }
        int end = i;
        while (end < caption.size() && caption[end] != QLatin1Char(' ')) {
            ++end;
        }
        const QString word = caption.mid(i, end - i);
        if (!line.isEmpty() && advance(line + word) > width) {
            result << line;
            line.clear();
        }
        line += word;
        i = end;
    }
    if (!line.isEmpty()) {
        result << line;
    }
    return result;
}

void WrappingLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const int lineHeight = QFontMetrics(font()).height();
    int top = area.top();
    for (const QString& line : lines()) {
        painter.drawText(QRect(area.left(), top, area.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, line);
        top += lineHeight;
    }
}

} // namespace vellum::ui
