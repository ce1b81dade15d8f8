#pragma once
// The association of Vellum documents (.vlm) with the editor: the four
// entries start-up writes at every start, and the names the desktop knows
// the editor and its document type by.

#include "Registry.h"

#include "core/Outcome.h"

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vellum {

// The document type's name, shown by the desktop for .vlm files.
inline constexpr std::string_view kDocumentTypeName = "Vellum File";
// The desktop's name for the action that opens a document.
inline constexpr std::string_view kOpenActionName = "Edit";
inline constexpr std::string_view kDocumentExtension = ".vlm";

// Where the editor runs from: its folder and its file name (with the ".exe"
// on Windows), joined by the platform's separator.
struct ProgramLocation {
    std::string folder; // the file system's bytes (UTF-8 but for an odd folder name);
                        // empty for a program found through PATH
    std::string name;
    char separator = '/';

    std::string path() const;
};

struct AssociationEntry {
    std::string keyPath; // levels below the classes root, joined by backslashes
    std::string data;    // the key's default value
};

using AssociationEntries = std::array<AssociationEntry, 4>;

// In the order they are written: the type name, the document icon, the open
// action's name, the open command. The command names the document as %1; a
// program path with a space in it is put in double quotes, so that no shell
// reads the part before the space as a program of its own.
AssociationEntries associationEntries(const ProgramLocation& program);

// Writes the entries in order through SaveRegString, below the classes root,
// each as its key's default value. A failed write does not stop the next; it
// is handed to failed, when given. Returns how many were written.
int writeAssociationEntries(Registry& registry, const AssociationEntries& entries,
                            const std::function<void(const AssociationEntry&)>& failed = {});

// Runs write (the registry entries and the desktop's files) while no other
// Vellum program writes the association: every writer takes one lock, named
// after the store (associationLocation), so that the entries and files of one
// run are never mixed with another's and the desktop's helper programs never
// run two at a time. The lock is held only while write runs.
//
// Waits at most patience for another writer. While one holds the lock all
// that time, write is not run and the failure says so. Where no lock can be
// made at all (no home folder, a data folder that cannot be written), write
// runs without one: its own failures say what could not be written.
Result<void> whileAssociationLocked(std::chrono::milliseconds patience,
                                    const std::function<void()>& write);

} // namespace vellum
