#pragma once
// frmMain: the editor's one window. It builds its controls, owns the
// document over its text area, and wires each control event to the command of
// the same name; it holds no logic of its own beyond copying captions.
// shell/ assembles the services and the commands, runs the start-up sequence
// and then shows the window.

#include "CharMap.h"
#include "Layout.h"
#include "commands/Editor.h"
#include "core/Document.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QTimer;

namespace vellum::ui {

class CommandButton;
class NameBox;
class TextArea;
class TextAreaBox;
class WrappingLabel;

class MainWindow final : public QWidget, private DocumentObserver {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = layout::kClientWidth;
    static constexpr int kClientHeight = layout::kClientHeight;
    static constexpr const char* kTitle = "TI-85 'Scrollet' Text Editor";
    // The largest text the window takes from a file or a paste, in bytes.
    static constexpr std::size_t kMaxTextBytes = 2 * 1024 * 1024;
    // The longest line it takes, in bytes: a change of a line lays it out
    // whole again, and at this length that takes a few milliseconds.
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;

    MainWindow();
    ~MainWindow() override;

    Document& document() { return *doc_; }

    // Connects the buttons, the close request and the refused pastes to the
    // commands. Until then the buttons do nothing and closing asks nothing.
    void wire(Editor& editor);

    // The controls, named as in the window's design.
    TextArea* txtMain() const { return txtMain_; }
    CommandButton* cmdNew() const { return cmdNew_; }
    CommandButton* cmdSave() const { return cmdSave_; }
    CommandButton* cmdSaveAs() const { return cmdSaveAs_; }
    CommandButton* cmdLoad() const { return cmdLoad_; }
    CommandButton* cmdLoadS() const { return cmdLoadS_; }
    CommandButton* cmdString() const { return cmdString_; }
    WrappingLabel* lblHeader() const { return lblHeader_; }
    NameBox* txtVarName() const { return txtVarName_; }
    QLabel* lblFileName() const { return lblFileName_; }
    QLabel* lblSave() const { return lblSave_; }
    CommandButton* cmdCharMap() const { return cmdCharMap_; }
    QLabel* lblSize() const { return lblSize_; }
    // The note under the size readout that says a paste replaced characters;
    // hidden again after a few seconds or at the next change of the text.
    QLabel* lblNote() const { return lblNote_; }
    static constexpr int kNoteMilliseconds = 6000;

    // The character map while it is open, else null.
    CharMap* charMap() const { return charMap_; }

    void cmdCharMap_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void centreOnScreen();
    void wireControls();
    // Runs a command of the wired editor, if any.
    template <typename Command> void run(Command command);

    void nameBoxChanged() override;
    void captionsChanged() override;
    void txtVarName_Edited(const QString& text);
    void insertFromCharMap(std::uint8_t code, CharMap::FocusAfter focus);
    // Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+Shift+S, Ctrl+W and Ctrl+Q beside the
    // access keys (the Command keys on macOS).
    void wireShortcuts();
    // The size readout in the error colour, with a tip, while the text is too
    // long for a string file.
    void showSizeLimit();
    void showPasteNote(std::size_t replaced);

    TextArea* txtMain_ = nullptr;
    CommandButton* cmdNew_ = nullptr;
    CommandButton* cmdSave_ = nullptr;
    CommandButton* cmdSaveAs_ = nullptr;
    CommandButton* cmdLoad_ = nullptr;
    CommandButton* cmdLoadS_ = nullptr;
    CommandButton* cmdString_ = nullptr;
    WrappingLabel* lblHeader_ = nullptr;
    NameBox* txtVarName_ = nullptr;
    QLabel* lblFileName_ = nullptr;
    QLabel* lblSave_ = nullptr;
    CommandButton* cmdCharMap_ = nullptr;
    QLabel* lblSize_ = nullptr;
    QLabel* lblNote_ = nullptr;
    QTimer* noteTimer_ = nullptr;

    std::unique_ptr<Document> doc_;
    Editor* editor_ = nullptr;
    bool centred_ = false;
    QPointer<CharMap> charMap_;
};

} // namespace vellum::ui
