#include "CharMap.h"

#include "Display.h"
#include "Fonts.h"

#include "core/CharacterNames.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace vellum::ui {

QString cellToolTip(std::uint8_t code) {
    // The character at twice the calculator font's size: one calculator
    // pixel on two screen pixels, as sharp as in the grid.
    const QFont font = calculatorFont();
    const QString glyph =
        QStringLiteral(
            "<span style=\"font-family:'%1'; font-size:%2px; font-weight:700\">%3</span>")
            .arg(font.family())
            .arg(2 * font.pixelSize())
            .arg(displayChar(code).toHtmlEscaped());
    const std::string_view name = characterName(code);
    return QStringLiteral("<p style=\"white-space:pre\">%1 (0x%2) %3 %4</p>")
        .arg(code)
        .arg(QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper())
        .arg(glyph)
        .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())).toHtmlEscaped());
}

CharCell::CharCell(int index, const QString& caption, QWidget* parent)
    : QLabel(caption, parent), index_(index) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true); // opaque, like the template
    setMargin(0);
    setContentsMargins(0, 0, 0, 0);
}

void CharCell::setSelected(bool selected) {
    selected_ = selected;
    showState();
}

void CharCell::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CharCell::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked(index_);
    }
}

void CharCell::enterEvent(QEnterEvent* event) {
    hovered_ = index_ != 0; // the blank template inserts nothing
    showState();
    QLabel::enterEvent(event);
}

void CharCell::leaveEvent(QEvent* event) {
    hovered_ = false;
    showState();
    QLabel::leaveEvent(event);
}

void CharCell::clearHover() {
    if (hovered_) {
        hovered_ = false;
        showState();
    }
}

void CharCell::showState() {
    // The map's own colours, with the selection in the selection colours and
    // the cell under the mouse in a paler shade of them.
    QPalette look = parentWidget()->palette();
    const QColor highlight = look.color(QPalette::Highlight);
    if (selected_) {
        look.setColor(QPalette::Window, highlight);
        look.setColor(QPalette::WindowText, look.color(QPalette::HighlightedText));
    } else if (hovered_) {
        const QColor paper = look.color(QPalette::Window);
        look.setColor(QPalette::Window, QColor((highlight.red() + 2 * paper.red()) / 3,
                                               (highlight.green() + 2 * paper.green()) / 3,
                                               (highlight.blue() + 2 * paper.blue()) / 3));
    }
    setPalette(look);
}

CharMap::CharMap(QWidget* owner, Insert insert)
    : QWidget(owner,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      insert_(std::move(insert)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Map"));
    setFont(calculatorFont());
    setFocusPolicy(Qt::StrongFocus); // the cells take none: the keys come here
    resize(kClientWidth, kClientHeight);
    Form_Load();
    setFocus(Qt::OtherFocusReason); // whenever the map is active, its keys work
    if (owner != nullptr) {
        const QRect over = owner->geometry();
        move(over.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void CharMap::Form_Load() {
    // The template: a blank cell at the top left.
    cells_[0] = new CharCell(0, QStringLiteral("  "), this);
    cells_[0]->setGeometry(0, 0, kCellWidth, kCellHeight);

    // The first row holds the template and codes 1 to 32, every further row
    // 32 codes from the left edge.
    int x = kCellWidth;
    int y = 0;
    for (int i = 1; i <= kLastCode; ++i) {
        const auto code = static_cast<std::uint8_t>(i);
        auto* cell = new CharCell(i, displayChar(code) + QLatin1Char(' '), this);
        cell->setGeometry(x, y, kCellWidth, kCellHeight);
        cell->setToolTip(cellToolTip(code));
        connect(cell, &CharCell::clicked, this, &CharMap::lblChar_Click);
        cells_[static_cast<std::size_t>(i)] = cell;
        x += kCellWidth;
        if (i % kCellsPerRow == 0) {
            x = 0;
            y += cell->height();
        }
    }
}

void CharMap::lblChar_Click(int index) {
    if (index <= 0 || index > kLastCode || !insert_) {
        return;
    }
    select(index); // the keyboard goes on from the last cell clicked
    insert_(static_cast<std::uint8_t>(index), FocusAfter::Text);
}

void CharMap::keyPressEvent(QKeyEvent* event) {
    int target = 0;
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (insert_) {
            insert_(static_cast<std::uint8_t>(selected_), FocusAfter::Map);
        }
        return;
    case Qt::Key_Left:
        target = neighbour(selected_, -1, 0);
        break;
    case Qt::Key_Right:
        target = neighbour(selected_, 1, 0);
        break;
    case Qt::Key_Up:
        target = neighbour(selected_, 0, -1);
        break;
    case Qt::Key_Down:
        target = neighbour(selected_, 0, 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (target != 0) {
        select(target);
    }
}

void CharMap::focusInEvent(QFocusEvent* event) {
    cell(selected_)->setSelected(true);
    showSelectionTip(true);
    QWidget::focusInEvent(event);
}

void CharMap::focusOutEvent(QFocusEvent* event) {
    cell(selected_)->setSelected(false);
    showSelectionTip(false);
    QWidget::focusOutEvent(event);
}

void CharMap::leaveEvent(QEvent* event) {
    // A cell misses its own leave when the pointer jumps straight out of the
    // window (or a tip stood between): the map clears them all.
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        cells_[i]->clearHover();
    }
    QWidget::leaveEvent(event);
}

void CharMap::hideEvent(QHideEvent* event) {
    showSelectionTip(false);
    QWidget::hideEvent(event);
}

void CharMap::select(int code) {
    cell(selected_)->setSelected(false);
    selected_ = code;
    cell(selected_)->setSelected(hasFocus());
    showSelectionTip(hasFocus());
}

void CharMap::showSelectionTip(bool show) {
    if (!show) {
        if (selectionTip_ != nullptr) {
            selectionTip_->hide();
        }
        return;
    }
    // A tip window of the map's own: Qt's tool tip hides at every key
    // release, and this one must stay while its cell is selected.
    if (selectionTip_ == nullptr) {
        selectionTip_ = new QLabel(this, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        selectionTip_->setObjectName(QStringLiteral("selectionTip"));
        selectionTip_->setTextFormat(Qt::RichText);
        selectionTip_->setPalette(QToolTip::palette());
        selectionTip_->setFont(QToolTip::font());
        selectionTip_->setForegroundRole(QPalette::ToolTipText);
        selectionTip_->setBackgroundRole(QPalette::ToolTipBase);
        selectionTip_->setAutoFillBackground(true);
        selectionTip_->setFrameStyle(QFrame::Box | QFrame::Plain);
        selectionTip_->setMargin(2);
    }
    const CharCell* selected = cell(selected_);
    selectionTip_->setText(cellToolTip(static_cast<std::uint8_t>(selected_)));
    selectionTip_->adjustSize();
    selectionTip_->move(selected->mapToGlobal(QPoint(0, selected->height() + 2)));
    selectionTip_->show();
}

int CharMap::neighbour(int code, int dx, int dy) const {
    // Left and right run through the codes, from one row's end to the next
    // row's start; up and down keep to the cell's column.
    if (dy == 0) {
        const int next = code + dx;
        return next >= 1 && next <= kLastCode ? next : 0;
    }
    const QPoint place = cell(code)->pos() + QPoint(0, dy * kCellHeight);
    for (int i = 1; i <= kLastCode; ++i) {
        if (cell(i)->pos() == place) {
            return i;
        }
    }
    return 0;
}

} // namespace vellum::ui
