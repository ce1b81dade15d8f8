#pragma once
// The small controls of the main window, each with the one behaviour that
// Qt's stock widget lacks.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vellum::ui {

// A push button as the calculator users' editor had it: its access key moves
// the focus to it before it clicks (so a name box being left takes its new
// name first), and Enter clicks it while it has the focus. It is never the
// window's default button.
class CommandButton final : public QPushButton {
    Q_OBJECT

  public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A caption too wide for the button wraps onto further lines.
    void paintEvent(QPaintEvent* event) override;
};

// txtVarName: one line, at most 8 characters, flat on the window's colour.
// Reports edits by the user (not by setText) and the loss of the focus to
// another control of the window.
class NameBox final : public QLineEdit {
    Q_OBJECT

  public:
    static constexpr int kMaxLength = 8;
    explicit NameBox(QWidget* parent = nullptr);

  signals:
    void lostFocus();

  protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// lblHeader: a label whose caption wraps within its width the way the
// original window did: a run of spaces takes room like any character, so a
// long run carries the next word down one or more lines.
class WrappingLabel final : public QLabel {
    Q_OBJECT

  public:
    explicit WrappingLabel(const QString& caption, QWidget* parent = nullptr);

    // The caption's lines, access-key marks included, as they are drawn.
    QStringList lines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vellum::ui
