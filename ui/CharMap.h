#pragma once
// frmCharMap: the character codes 1 to 255 as a grid of clickable cells.

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

  signals:
    void clicked(int index);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int index_;
    bool pressed_ = false;
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

    // Runs for a click on the cell of a code (1 to 255).
    using Insert = std::function<void(std::uint8_t code)>;

    // A tool window owned by owner, centred over it; closing destroys it.
    CharMap(QWidget* owner, Insert insert);

    // lblChar(index); index 0 is the blank template.
    CharCell* cell(int index) const { return cells_.at(static_cast<std::size_t>(index)); }

    void lblChar_Click(int index);

  private:
    void Form_Load();

    Insert insert_;
    std::array<CharCell*, kLastCode + 1> cells_{};
};

} // namespace vellum::ui
