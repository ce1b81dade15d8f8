#pragma once
// The editor's one document: its text, the calculator variable name, the
// title, the path, the two flags, and the status captions the window shows.
//
// Operations carry the names of the window events that run them. They nest
// the way the window's events do: setting the text runs txtMain_Change at
// that point, setting the name box runs txtVarName_Change at that point.

#include "Charset.h"
#include "TextBox.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

enum class Answer { Yes, No, Cancel };

// How a document's bytes stand in its file: as UTF-8 (each byte as its
// display character), or as the calculator's codes, one byte each.
enum class TextEncoding { Utf8, Calculator };

// What the window must learn when the document changes something it shows.
class DocumentObserver {
  public:
    virtual ~DocumentObserver() = default;
    // The name box text or its caret was set by the document.
    virtual void nameBoxChanged() {}
    // lblFileName, lblSave or lblSize changed.
    virtual void captionsChanged() {}
};

class Document {
  public:
    // The question box: message, title; Yes/No/Cancel, question icon, Yes default.
    using Question = std::function<Answer(const std::string& message, const std::string& title)>;
    // The Save command, run when the user answers Yes to the unsaved-changes prompt.
    using SaveCommand = std::function<void()>;

    static constexpr std::size_t kMaxNameLength = 8;
    static constexpr const char* kDefaultVarName = "untitled";
    static constexpr const char* kDefaultTitle = "Untitled";
    static constexpr const char* kUnsavedMessage = "File Unsaved. Save Now?";
    static constexpr const char* kUnsavedTitle = "Question";
    static constexpr const char* kModified = "MODIFIED";
    static constexpr const char* kSizePrefix = "Data Size: ";

    // Without a text box the document keeps its text in a MemoryTextBox.
    Document();
    explicit Document(std::shared_ptr<TextBox> textBox);

    // Document fields. VarName and DocTitle are calculator bytes; DocPath is
    // a file system path.
    Bytes VarName = kDefaultVarName;
    Bytes DocTitle = kDefaultTitle;
    std::string DocPath;
    bool IsSaved = true;
    bool HasPath = false;
    // How Save writes the text: a document loaded from a file of calculator
    // bytes is written back the same way, so an older document is never
    // converted behind the user's back; any other is written as UTF-8.
    TextEncoding Encoding = TextEncoding::Utf8;

    // The text of txtMain, CR LF between lines.
    Bytes text() const { return textBox_->text(); }
    // A program change of the text; runs txtMain_Change when the text differs.
    void setText(const Bytes& text);
    TextBox& textBox() { return *textBox_; }

    // The name box txtVarName: its text and caret offset.
    const Bytes& nameBox() const { return nameBox_; }
    std::size_t nameBoxCaret() const { return nameBoxCaret_; }
    // A change of the box, by the user or by the program; runs
    // txtVarName_Change when the text differs.
    void setNameBox(const Bytes& text, std::size_t caret);

    // Status captions.
    const Bytes& lblFileName() const { return lblFileName_; }
    const std::string& lblSave() const { return lblSave_; }
    const std::string& lblSize() const { return lblSize_; }

    // Operations.
    void RefreshStatus();
    void txtMain_Change();
    void txtVarName_Change();
    void txtVarName_LostFocus();
    void cmdNew_Click();
    // Sets cancel to keep the window open. The reason for closing is not used.
    void Form_QueryUnload(bool& cancel, int reason = 0);

    // The unsaved-changes prompt shared by New, closing and the load
    // commands. True: go on. False: stop (Cancel, or a Yes whose save did not
    // leave the document saved, so that the text the user wanted to keep is
    // never thrown away).
    bool confirmDiscard();

    // The title for a file chosen in a dialog: its name (UTF-8, no folders)
    // cut before the first "." and lower-cased; none without a ".".
    static std::optional<Bytes> TitleFromFileName(std::string_view fileTitle);

    void setQuestion(Question question) { question_ = std::move(question); }
    void setSaveCommand(SaveCommand save) { save_ = std::move(save); }
    void setObserver(DocumentObserver* observer) { observer_ = observer; }

  private:
    void captionsChanged();

    std::shared_ptr<TextBox> textBox_;
    Bytes nameBox_ = kDefaultVarName;
    std::size_t nameBoxCaret_ = 0;
    Bytes lblFileName_ = kDefaultTitle;
    std::string lblSave_;
    std::string lblSize_ = kSizePrefix;

    Question question_;
    SaveCommand save_;
    DocumentObserver* observer_ = nullptr;
};

} // namespace vellum
