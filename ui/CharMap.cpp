#include "CharMap.h"

#include "Display.h"
#include "Fonts.h"

#include <QMouseEvent>

namespace vellum::ui {

CharCell::CharCell(int index, const QString& caption, QWidget* parent)
    : QLabel(caption, parent), index_(index) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true); // opaque, like the template
    setMargin(0);
    setContentsMargins(0, 0, 0, 0);
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

CharMap::CharMap(QWidget* owner, Insert insert)
    : QWidget(owner,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      insert_(std::move(insert)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Map"));
    setFont(calculatorFont());
    resize(kClientWidth, kClientHeight);
    Form_Load();
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
        auto* cell =
            new CharCell(i, displayChar(static_cast<std::uint8_t>(i)) + QLatin1Char(' '), this);
        cell->setGeometry(x, y, kCellWidth, kCellHeight);
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
    insert_(static_cast<std::uint8_t>(index));
}

} // namespace vellum::ui
