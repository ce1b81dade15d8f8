#pragma once
// The editor's commands: the buttons of the main window and the loaders and
// writer they call. They talk to their surroundings (file dialogs, message
// boxes, the clock, the file system) only through the small interfaces below,
// so that every command, every answer and every failing step can be driven
// without a window.

#include "core/Document.h"

#include <cstddef>
#include <string>

namespace vellum {

namespace io {
class ByteFiles; // file operations of the string writer (io/ByteFiles.h)
}

// The title of the editor's error boxes.
inline constexpr const char* kErrorTitle = "Error";

// What a file dialog reports: the full path and the file's name without its
// folders. An empty path means the user cancelled.
struct FileChoice {
    std::string path;
    std::string fileTitle;
    bool cancelled() const { return path.empty(); }
};

// The settings a command gives a file dialog before showing it. The filter is
// a list of "description|pattern" pairs, all separated by "|".
struct DialogSettings {
    std::string title;
    std::string filter;
    std::string fileName;
};

// dlgFile and dlgString. The dialog remembers, by itself, which filter pair
// the user chose last.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    virtual FileChoice showOpen(const DialogSettings& settings) = 0;
    virtual FileChoice showSave(const DialogSettings& settings) = 0;
};

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Yes, No, Cancel; question icon; Yes is the default. Closing answers Cancel.
    virtual Answer askYesNoCancel(const std::string& message, const std::string& title) = 0;
    // Yes and No; critical icon. True for Yes.
    virtual bool askYesNoCritical(const std::string& message, const std::string& title) = 0;
    // A single OK button; error icon.
    virtual void showError(const std::string& message, const std::string& title) = 0;
};

// The current time of day and date as text, in the user's formats, UTF-8.
// A clock that cannot tell the time throws (std::system_error carries a
// failure number); the string writer reports that like a failed file step.
// formats/Clocks.h has the real clocks.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string timeText() = 0;
    virtual std::string dateText() = 0;
};

// Outcome of a loader.
struct LoadResult {
    enum class Status {
        Loaded,  // the document holds the file's content
        Refused, // not a file of the expected kind; the loader has shown its message
        Failed,  // could not be read; nothing changed and nothing shown
    };
    Status status = Status::Failed;
    std::string reason; // for Failed: the system's or the reader's reason
    bool ok() const { return status == Status::Loaded; }
};

struct EditorServices {
    FileDialog* dlgFile = nullptr;
    FileDialog* dlgString = nullptr;
    MessageBoxes* boxes = nullptr;
    Clock* clock = nullptr;
    io::ByteFiles* files = nullptr;
};

class Editor {
  public:
    Editor(Document& document, EditorServices services);

    Document& document() { return doc_; }

    // Buttons of the main window.
    void cmdNew_Click() { doc_.cmdNew_Click(); }
    void cmdSave_Click();
    void cmdSaveAs_Click();
    void cmdLoad_Click();
    void cmdLoadS_Click();
    void cmdString_Click();
    void Form_QueryUnload(bool& cancel, int reason = 0) { doc_.Form_QueryUnload(cancel, reason); }

    // Loaders, also used at start-up for a file named on the command line.
    LoadResult LoadText(const std::string& path, const Bytes& title);
    LoadResult LoadString(const std::string& path, const Bytes& title);

    // The string-file writer.
    void SaveStr(const std::string& FName, const Bytes& Data);

    // The largest text document LoadText takes, in bytes. The window sets
    // one so that a huge file cannot freeze it; without a window there is none.
    void setTextSizeLimit(std::size_t bytes) { textSizeLimit_ = bytes; }
    // The message shown when a text is larger than the window takes.
    static std::string tooLargeMessage(const std::string& what, std::size_t size,
                                       std::size_t limit);

  private:
    // Save and Save As: writes the document, asking for a file when the
    // document has none or when alwaysAsk is set.
    void saveText(bool alwaysAsk);

    Document& doc_;
    EditorServices services_;
    std::size_t textSizeLimit_ = static_cast<std::size_t>(-1);
};

} // namespace vellum
