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
#include <memory>
#include <string>
#include <string_view>

namespace vellum {

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
    static constexpr std::size_t kMaxNameLength = 8;
    static constexpr const char* kDefaultVarName = "untitled";
    static constexpr const char* kDefaultTitle = "Untitled";
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
    void setText(Bytes text);
    TextBox& textBox() { return *textBox_; }

    // The name box txtVarName: its text and caret offset.
    const Bytes& nameBox() const { return nameBox_; }
    std::size_t nameBoxCaret() const { return nameBoxCaret_; }
    // A change of the box by the user; runs txtVarName_Change when the text
    // differs. The edit stays pending until the box is left or redrawn.
    void setNameBox(const Bytes& text, std::size_t caret);
    // Takes over a name-box edit still pending, as leaving the box would, so
    // that a command asking about unsaved changes sees it.
    void takeOverNameBox();

    // Status captions.
    const Bytes& lblFileName() const { return lblFileName_; }
    const std::string& lblSave() const { return lblSave_; }
    const std::string& lblSize() const { return lblSize_; }

    // Operations.
    void RefreshStatus();
    void txtMain_Change();
    void txtVarName_Change();
    void txtVarName_LostFocus();
    // The empty document of New, without asking: the text emptied, the
    // default name and title, saved and bound to no file. DocPath stays.
    void resetToNew();

    // The title for a file chosen in a dialog: its name (UTF-8, no folders)
    // cut before the first "." and lower-cased. A name without "." is used
    // whole.
    static Bytes TitleFromFileName(std::string_view fileTitle);

    // The name a variable is stored under: an empty name, which no calculator
    // can store, becomes the default name, as an emptied name box does.
    static Bytes storableName(const Bytes& name);

    void setObserver(DocumentObserver* observer) { observer_ = observer; }

  private:
    void captionsChanged();
    void showNameBox(const Bytes& text, std::size_t caret);

    std::shared_ptr<TextBox> textBox_;
    Bytes nameBox_ = kDefaultVarName;
    std::size_t nameBoxCaret_ = 0;
    bool nameBoxPending_ = false;
    Bytes lblFileName_ = kDefaultTitle;
    std::string lblSave_;
    std::string lblSize_ = kSizePrefix;

    DocumentObserver* observer_ = nullptr;
};

} // namespace vellum
