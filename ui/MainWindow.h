#pragma once
// frmMain: the editor's one window. It owns the document and wires each
// control event to the document's or the editor's operation of the same
// name; it holds no logic of its own beyond copying captions.

#include "CharMap.h"
#include "core/Document.h"
#include "formats/Editor.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;

namespace vellum::ui {

class CommandButton;
class NameBox;
class QtFileDialog;
class QtMessageBoxes;
class TextArea;
class TextAreaBox;
class WrappingLabel;

class MainWindow final : public QWidget, private DocumentObserver {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 419;
    static constexpr int kClientHeight = 275;
    static constexpr const char* kTitle = "TI-85 'Scrollet' Text Editor";
    // The largest text the window takes from a file or a paste, in bytes.
    static constexpr std::size_t kMaxTextBytes = 2 * 1024 * 1024;

    // Further steps of the start-up sequence, run by Form_Load after the
    // first document exists and before the window is shown.
    using StartUpSteps = std::function<void(MainWindow&)>;

    // Services left empty in `services` are the real ones: Qt's file dialogs
    // and message boxes, the local clock, the file system.
    explicit MainWindow(EditorServices services = {}, StartUpSteps moreSteps = {});
    ~MainWindow() override;

    Document& document() { return *doc_; }
    Editor& editor() { return *editor_; }

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

    // The character map while it is open, else null.
    CharMap* charMap() const { return charMap_; }

    void cmdCharMap_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void wire();
    void Form_Load(const StartUpSteps& moreSteps);

    void nameBoxChanged() override;
    void captionsChanged() override;
    void txtVarName_Edited(const QString& text);
    void insertFromCharMap(std::uint8_t code);

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

    // The real services, for those not given.
    std::unique_ptr<QtFileDialog> dlgFile_;
    std::unique_ptr<QtFileDialog> dlgString_;
    std::unique_ptr<QtMessageBoxes> boxes_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<io::ByteFiles> files_;

    std::unique_ptr<Document> doc_;
    std::unique_ptr<Editor> editor_;
    bool centred_ = false;
    QPointer<CharMap> charMap_;
};

} // namespace vellum::ui
