#pragma once
// Form_Load: what the editor does between creating its window and showing it.
//
//   1-2. the window marks the document saved and runs New;
//   3.   the four association entries go through SaveRegString, and the
//        desktop learns the same association;
//   4-6. a file named on the command line is opened by the loader its
//        ending chooses.
//
// Everything it touches comes in through StartupSteps, so a test can run the
// whole sequence without a window, a registry or a desktop.

#include "Association.h"
#include "formats/Editor.h"

#include <functional>
#include <string>

namespace vellum {

struct StartupSteps {
    // Steps 1 and 2: IsSaved = true, then New.
    std::function<void()> newDocument;
    Registry* registry = nullptr;
    ProgramLocation program;
    // The desktop's side of the association; may be empty.
    std::function<void(const ProgramLocation&, const AssociationEntries&)> associateDesktop;
    std::function<LoadResult(const std::string& path, const Bytes& title)> loadText;
    std::function<LoadResult(const std::string& path, const Bytes& title)> loadString;
    // Reports a command-line file that cannot be opened.
    MessageBoxes* boxes = nullptr;
    // The program's arguments joined by single spaces.
    std::string commandLine;
};

inline constexpr const char* kOpenFailedTitle = kErrorTitle;

// Why a file named on the command line cannot be read: empty when it is a
// file that can be opened for reading.
std::string unreadableReason(const std::string& path);

// The whole sequence, steps 1 to 6.
void Form_Load(const StartupSteps& steps);
// Steps 3 to 6, for a window that has made the first document itself.
void continueFormLoad(const StartupSteps& steps);

} // namespace vellum
