#pragma once
// The editor's commands: the buttons of the main window, the unsaved-changes
// prompt, and the loaders and the writer they call. They talk to their
// surroundings only through the services (commands/Services.h), change the
// document, show what went wrong in a box, and return an outcome: Done,
// Cancelled, or the Failure with its reason. Nothing learns what happened
// from a caption or a message text.
//
// One file per family: UnsavedChanges.cpp (the prompt, New, closing),
// TextCommands.cpp (Load, Save, Save As), LoadString.cpp (Load .85s),
// LoadGroup.cpp (Load .85s of a group file),
// Compile.cpp (Compile and the writer, StringWriter.cpp).

#include "commands/Services.h"
#include "core/Document.h"
#include "io/Files.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vellum {

// Without a window's limit a text is still read only up to this size (a file,
// or standard input for vellum-cli): far beyond what a string file holds, and
// no threat to memory.
inline constexpr std::uint64_t kLargestTextFile = 64ull << 20;

class Editor {
  public:
    Editor(Document& document, EditorServices services);

    Document& document() { return doc_; }

    // The unsaved-changes prompt shared by New, closing and the load
    // commands. Done: go on. Cancelled: stop. A Yes whose save fails or is
    // cancelled stops too, so the text the user wanted to keep is never
    // thrown away. A name-box edit still pending is taken over first.
    CommandOutcome confirmDiscard();

    // Buttons of the main window.
    CommandOutcome cmdNew_Click();
    CommandOutcome cmdSave_Click();
    CommandOutcome cmdSaveAs_Click();
    CommandOutcome cmdLoad_Click();
    CommandOutcome cmdLoadS_Click();
    CommandOutcome cmdString_Click();
    // A close request: Done lets the window close, anything else keeps it.
    CommandOutcome Form_QueryUnload() { return confirmDiscard(); }

    // Loaders, also used at start-up for a file named on the command line.
    // Every refusal and failure is shown in a box before it is returned.
    // The text file is read in the encoding given, else in the one its bytes
    // look like; characters without a calculator byte become "?", and a box
    // says how many.
    CommandOutcome LoadText(const std::string& path, const Bytes& title,
                            std::optional<TextEncoding> encoding = std::nullopt);
    // The same for a text document already read (standard input, say); path
    // names it in messages and tells whether it is a Vellum document.
    CommandOutcome LoadTextBytes(std::string_view bytes, const std::string& path,
                                 const Bytes& title,
                                 std::optional<TextEncoding> encoding = std::nullopt);
    // The stamp LoadText took of the file the document now stands for, just
    // before reading it; none for any other document.
    std::optional<io::FileStamp> loadedStamp() const {
        return origin_ ? origin_->stamp : std::nullopt;
    }
    // The characters the last successful LoadText turned into "?".
    std::size_t replacedByLastLoad() const { return replacedByLastLoad_; }
    // The characters of the file the document stands for that a Save over it
    // would lose: those its load folded or turned into "?", until the text
    // has been saved over it (or elsewhere).
    std::size_t charactersLostBySave() const { return origin_ ? origin_->changedByLoad : 0; }
    // A path ending in .85g is a group file, loaded by LoadGroup.
    CommandOutcome LoadString(const std::string& path, const Bytes& title);
    // A group file: its one string that the string loader reads loads as a
    // string file does; of several, the user chooses one (Cancel changes
    // nothing); none is refused as a string file without the marker is.
    CommandOutcome LoadGroup(const std::string& path, const Bytes& title);
    // The same for a string file already read.
    CommandOutcome LoadStringBytes(std::string_view bytes, const Bytes& title);

    // The string-file writer: a failing step asks whether to go on; the
    // outcome carries the first failure, if any. The string is stored under
    // the document's name, or the default name when that is empty.
    CommandOutcome SaveStr(const std::string& FName, const Bytes& Data);

    // The size of the string data a compile would write (the "Data Size" the
    // window shows), and whether it is more than a string file takes beside
    // the variable name.
    std::size_t stringDataSize() const;
    bool textTooLongForString() const;
    std::size_t largestStringData() const;

    // The largest text document LoadText takes, in bytes. The window sets
    // one so that a huge file cannot freeze it; without a window there is none.
    void setTextSizeLimit(std::size_t bytes) { textSizeLimit_ = bytes; }
    // Likewise for the longest line (bytes between two line breaks), which the
    // window lays out whole at every change of it.
    void setLineLengthLimit(std::size_t bytes) { lineLengthLimit_ = bytes; }
    // A paste of this many bytes was refused by the window.
    void reportPasteTooLarge(std::size_t bytes, std::size_t limit);
    // A paste with a line of this many bytes was refused by the window.
    void reportPasteLineTooLong(std::size_t bytes, std::size_t limit);

  private:
    // Save and Save As: writes the document, asking for a file when the
    // document has none or when alwaysAsk is set.
    CommandOutcome saveText(bool alwaysAsk);
    // Shows the error box and returns the failure.
    Failure fail(Failure failure, const std::string& message);
    // Before a save over target: when it is the file the document came from,
    // asks whether to replace it if another program changed it since, and
    // (askLosses: Save, not Save As, whose dialog has asked) whether to lose
    // the characters its load changed. Done: write.
    CommandOutcome confirmReplace(const std::string& target, bool askLosses);
    // A Yes/No question; No (or no boxes at all) is false.
    bool ask(const std::string& message);
    // The file the document now stands for, as it stands now.
    void rememberOrigin(const std::string& path, std::optional<io::FileStamp> stamp,
                        std::size_t changedByLoad);

    // The file the document was last loaded from or saved to: its path, its
    // stamp then (none when it could not be taken) and the characters the
    // load changed. None for a new document or one from a string file.
    struct Origin {
        std::string path;
        std::optional<io::FileStamp> stamp;
        std::size_t changedByLoad = 0;
    };
    std::optional<Origin> origin_;

    Document& doc_;
    EditorServices services_;
    std::size_t textSizeLimit_ = static_cast<std::size_t>(-1);
    std::size_t lineLengthLimit_ = static_cast<std::size_t>(-1);
    std::size_t replacedByLastLoad_ = 0;
};

} // namespace vellum
