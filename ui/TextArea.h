#pragma once
// txtMain: the main text box.
//
// The widget holds the document in display form (see Display.h). It keeps
// that form canonical, i.e. exactly what the bytes would show after a save
// and a load: whatever comes in by typing, pasting or dropping is passed
// through the character set's folds, and a lone CR that comes to stand right
// before a lone LF becomes the line break that those two bytes are.

#include "core/TextBox.h"

#include <QPlainTextEdit>

#include <memory>

namespace vellum::ui {

class TextArea final : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit TextArea(QWidget* parent = nullptr);
    ~TextArea() override;

    // The document's bytes.
    Bytes bytes() const;
    // Replaces the whole text; one textEdited signal follows.
    void setBytes(const Bytes& bytes);
    // Characters of the text with a line break counted as one. O(1).
    std::size_t characterCount() const;

    // Bytes the text would take in a file (a line break is CR LF). O(1).
    std::size_t byteCount() const;
    // Pastes that would make the text larger than this many bytes are refused.
    void setSizeLimit(std::size_t bytes) { sizeLimit_ = bytes; }
    // Pastes that would make a line longer than this many bytes are refused:
    // every change lays out the whole line it falls in again.
    void setLineLengthLimit(std::size_t bytes) { lineLengthLimit_ = bytes; }

    // Puts the character of one byte in place of the selection, as typing
    // would (one undo step), leaving the caret after it.
    void replaceSelection(std::uint8_t byte);

  signals:
    // Once for every change of the text, by the user or by the program, after
    // the text has reached its canonical form.
    void textEdited();
    // A paste was refused: the text would have grown to this many bytes.
    void pasteTooLarge(std::size_t bytes);
    // A paste was refused: a line would have grown to this many bytes.
    void pasteLineTooLong(std::size_t bytes);
    // A paste put "?" in place of this many characters that have no byte.
    void pasteReplaced(std::size_t count);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void onContentsChange(int position, int removed, int added);
    void onContentsChanged();
    void canonicalize(int from, int to);
    std::size_t lineLengthAfterPaste(const QString& text) const;
    void chooseWrapMode(const QString& text, bool mayReturnToWords);

    bool programSet_ = false;      // setBytes is replacing the text
    bool fixing_ = false;          // canonicalize is editing the text
    bool pastedCanonical_ = false; // the pending change inserted canonical text
    int changeFrom_ = -1;          // the range changed since the last signal
    int changeTo_ = -1;
    std::size_t sizeLimit_ = static_cast<std::size_t>(-1);
    std::size_t lineLengthLimit_ = static_cast<std::size_t>(-1);
};

// The document's view of txtMain.
class TextAreaBox final : public TextBox {
  public:
    explicit TextAreaBox(TextArea* area);
    ~TextAreaBox() override;
    TextAreaBox(const TextAreaBox&) = delete;
    TextAreaBox& operator=(const TextAreaBox&) = delete;

    Bytes text() const override { return area_->bytes(); }
    void setText(Bytes text) override { area_->setBytes(text); }
    std::size_t characterCount() const override { return area_->characterCount(); }

  private:
    TextArea* area_;
    QMetaObject::Connection connection_;
};

} // namespace vellum::ui
