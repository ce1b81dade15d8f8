#pragma once
// What the editor's commands ask of their surroundings: the file dialogs, the
// message boxes, the clock and the files. The window gives the real ones
// (Qt's dialogs and boxes), vellum-cli its own, tests scripted ones.

#include "core/Outcome.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

namespace io {
class ByteFiles; // positional file access of the string writer (io/ByteFiles.h)
}

enum class Answer { Yes, No, Cancel };

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
    // Yes and No; question icon; No is the default, and closing answers No.
    // True for Yes.
    virtual bool askYesNo(const std::string& message, const std::string& title) = 0;
    // A single OK button; error icon.
    virtual void showError(const std::string& message, const std::string& title) = 0;
    // A single OK button; warning icon. For news that is no failure.
    virtual void showWarning(const std::string& message, const std::string& title) = 0;
};

// The time of day and the date of one instant, as text in the user's
// formats, UTF-8.
struct ClockReading {
    std::string time;
    std::string date;
};

// commands/Clocks.h has the real clocks.
class Clock {
  public:
    virtual ~Clock() = default;
    // One reading, so that a compile at midnight never pairs the time of one
    // day with the date of the next.
    virtual Result<ClockReading> now() = 0;
};

// A list to choose one item from (the strings of a group file), modal.
class ListChooser {
  public:
    virtual ~ListChooser() = default;
    // The index of the chosen item, the first preselected; nothing after a
    // Cancel.
    virtual std::optional<std::size_t> choose(const std::string& title, const std::string& prompt,
                                              const std::vector<std::string>& items) = 0;
};

struct EditorServices {
    FileDialog* dlgFile = nullptr;
    FileDialog* dlgString = nullptr;
    MessageBoxes* boxes = nullptr;
    Clock* clock = nullptr;
    io::ByteFiles* files = nullptr;
    ListChooser* chooser = nullptr; // Load .85s of a group file with several strings
};

// How a command ended: Done (saved, loaded, written) or Cancelled by the
// user; a Failure carries the reason, which the command has already shown.
enum class Completion { Done, Cancelled };
using CommandOutcome = Result<Completion>;

// True when the command did what it was asked.
inline bool isDone(const CommandOutcome& outcome) {
    return outcome.ok() && outcome.value() == Completion::Done;
}

} // namespace vellum
