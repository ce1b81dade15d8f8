#pragma once
// Every text the editor's commands show: dialog titles and filters, box
// messages and titles. Nothing reads these back; what happened travels in
// the commands' outcomes.

#include "core/Outcome.h"

#include <cstddef>
#include <string>

namespace vellum::messages {

// A save over a file another program changed since the editor loaded or
// saved it, and one over a file whose load changed characters: the questions
// (title kUnsavedTitle).
std::string changedOnDisk(const std::string& path);
std::string charactersLost(const std::string& path, std::size_t count);

// A compile of a text too long for a string file: its data size and the
// largest the name leaves room for.
std::string tooLongForString(std::size_t dataSize, std::size_t largest);
// The size readout's tip while the text is too long for a string file.
std::string dataSizeOverLimit(std::size_t largest);

// The title of the editor's error boxes.
inline constexpr const char* kErrorTitle = "Error";

// The unsaved-changes prompt.
inline constexpr const char* kUnsaved = "File Unsaved. Save Now?";
inline constexpr const char* kUnsavedTitle = "Question";

// dlgFile for Load, Save and Save As.
inline constexpr const char* kTextDialogTitle = "Save Text";
inline constexpr const char* kTextDialogFilter =
    "'Vellum' Files (*.vlm)|*.vlm|Regular Text Files|*.txt|All Files|*.*";
// dlgFile for Load .85s.
inline constexpr const char* kStringDialogTitle = "Load String";
inline constexpr const char* kStringDialogFilter = "TI-85 Strings|*.85s|All Files|*.*";
// dlgString for Compile.
inline constexpr const char* kCompileDialogTitle = "Save String";
inline constexpr const char* kCompileDialogFilter = "TI-85 String|*.85s|All Files|*.*";

// Every refusal of Load .85s.
inline constexpr const char* kNotScrollet = "Not a valid 'Scrollet' String.";
// Load .85s of a group file with several strings: the chooser's title and
// prompt, and each string's line in it.
inline constexpr const char* kChooseStringTitle = "Load String";
inline constexpr const char* kChooseStringPrompt = "The group holds several strings. Load:";
inline std::string groupString(const std::string& nameUtf8, std::size_t bytes) {
    return nameUtf8 + "  (" + std::to_string(bytes) + " bytes)";
}

// The string writer's failure of a length or position beyond the file limit.
inline constexpr const char* kOverflow = "Overflow";
// A compile without file access (an editor built without it).
inline constexpr const char* kNoFileAccess = "the editor was built without file access";

// The string writer's failure box: its text and title.
std::string writeFailure(const Failure& failure);
std::string writeFailureTitle(const Failure& failure);

// A file that cannot be read, named with the reason.
std::string cannotOpen(const std::string& path, const std::string& reason);
// A document that cannot be saved, named with the reason.
std::string cannotSave(const std::string& path, const std::string& reason);
// The reason an empty Vellum document is not loaded.
inline constexpr const char* kNoNameLine = "The document is empty and has no name line.";

// A compile that failed before its first write.
std::string cannotCompile(const std::string& reason);

// A text larger than the window takes: a file (named by its path) or a paste.
// Sizes in exact bytes: rounded, a size just over the limit reads as the limit.
std::string tooLarge(const std::string& path, std::size_t size, std::size_t limit);
std::string pasteTooLarge(std::size_t size, std::size_t limit);
// A text with a line longer than the window takes: a file or a paste.
std::string lineTooLong(const std::string& path, std::size_t length, std::size_t limit);
std::string pasteLineTooLong(std::size_t length, std::size_t limit);

// Characters of a load or a paste that had no calculator byte and became "?":
// the box's text and title (also the window's paste note).
std::string replacedCharacters(std::size_t count);
inline constexpr const char* kReplacedTitle = "Characters Replaced";

} // namespace vellum::messages
