#pragma once
// frmCharMap: the character codes 1 to 255 as a grid of clickable cells.
//
// Beyond clicks, each cell tells its code and character's name in a tip and
// lights up under the mouse, and the map works from the keyboard: the arrow
// keys move a selection (shown while the map has the focus), Enter or Space
// inserts it, Escape closes the map.

#include <QLabel>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

namespace vellum::ui {

// One cell of the grid, lblChar(index).
class CharCell final : public QLabel {
    Q_OBJECT

  public:
    CharCell(int index, const QString& caption, QWidget* parent);
    int index() const { return index_; }

    // The keyboard's selection, shown in the selection colours.
    void setSelected(bool selected);
    // Drops the mouse's highlight (the pointer has left the map).
    void clearHover();

  signals:
    void clicked(int index);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void showState();

    int index_;
    bool pressed_ = false;
    bool hovered_ = false;
    bool selected_ = false;
};

class CharMap final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kLastCode = 255;
    static constexpr int kCellsPerRow = 32;
    // The cell of two calculator characters, in pixels.
    static constexpr int kCellWidth = 12;
    static constexpr int kCellHeight = 9;
    static constexpr int kClientWidth = 381;
    static constexpr int kClientHeight = 70;

    // Where the keyboard focus goes after an insertion: a click hands it to
    // the text, a key press keeps it in the map for the next key.
    enum class FocusAfter { Text, Map };
    // Runs for a click on the cell of a code (1 to 255) or Enter on it.
    using Insert = std::function<void(std::uint8_t code, FocusAfter focus)>;

    // A tool window owned by owner, centred over it; closing destroys it.
    CharMap(QWidget* owner, Insert insert);

    // lblChar(index); index 0 is the blank template.
    CharCell* cell(int index) const { return cells_.at(static_cast<std::size_t>(index)); }
    // The code the keyboard's selection is on, and moving it.
    int selectedCode() const { return selected_; }
    void select(int code);
    // The tip of the selected cell, shown while the map has the focus; null
    // until it is first shown.
    QLabel* selectionTip() const { return selectionTip_; }

    void lblChar_Click(int index);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Form_Load();
    // The code whose cell lies one cell away in the grid, or 0 if none does.
    int neighbour(int code, int dx, int dy) const;
    // Shows the selected cell's tip below it, or hides it.
    void showSelectionTip(bool show);

    Insert insert_;
    std::array<CharCell*, kLastCode + 1> cells_{};
    int selected_ = 1;
    QLabel* selectionTip_ = nullptr;
};

// The tip of a code's cell: "193 (0xC1) θ GREEK SMALL LETTER THETA", the
// character in the calculator font so that its own glyph shows.
QString cellToolTip(std::uint8_t code);

} // namespace vellum::ui
