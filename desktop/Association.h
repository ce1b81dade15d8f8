#pragma once
// The association of Vellum documents (.vlm) with the editor: the four
// entries start-up writes at every start, and the names the desktop knows
// the editor and its document type by.

#include "Registry.h"

#include <array>
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

} // namespace vellum
