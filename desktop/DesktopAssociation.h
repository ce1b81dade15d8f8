#pragma once
// The freedesktop side of the association: what makes a Linux desktop show
// .vlm files as Vellum documents and open them with the editor. Made from the
// same entries as the registry's, at every start:
//
//   $XDG_DATA_HOME/mime/packages/org.vellum.Vellum.xml     the document type (and the
//                                                          TI-85 string type)
//   $XDG_DATA_HOME/applications/org.vellum.Vellum.desktop  the editor, with both types
//   $XDG_DATA_HOME/icons/hicolor/...                       program and document icons
//   $XDG_CONFIG_HOME/mimeapps.list                         the editor as the default for .vlm
//
// then the two desktop databases are brought up to date. A file that already
// holds what it should is not written again, and a database is only rebuilt
// when it is older than what it is built from, so that a normal start costs a
// few reads. Every failure is silent: a desktop that cannot be told simply
// does not learn about Vellum.

#include "Association.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

inline constexpr std::string_view kDesktopAppId = "org.vellum.Vellum";
inline constexpr std::string_view kDocumentMimeType = "application/x-vellum";
inline constexpr std::string_view kStringMimeType = "application/x-ti85-string";

struct XdgFolders {
    std::filesystem::path dataHome;   // $XDG_DATA_HOME or ~/.local/share
    std::filesystem::path configHome; // $XDG_CONFIG_HOME or ~/.config

    // None without a home folder (and no absolute XDG variables).
    static std::optional<XdgFolders> fromEnvironment();
};

// Icon files as bytes: the program's and the document's, each as SVG and as
// 16 and 32 pixel PNG images. An empty one is not installed.
struct DesktopIcons {
    std::string programSvg, program16, program32;
    std::string documentSvg, document16, document32;
};

// Runs a helper program with arguments and waits for it; true when it ran
// and succeeded. Empty program names are never passed.
using ToolRunner =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;

// The file contents, for install rules and tests.
std::string desktopEntry(const ProgramLocation& program, const AssociationEntries& entries);
std::string mimePackage(const AssociationEntries& entries);
// One program argument as the Exec key of a desktop entry wants it: quoted
// when it holds a reserved character, field-code percent signs doubled, and
// escaped as a desktop entry string.
std::string execArgument(std::string_view argument);
// mimeapps.list with the editor as the default for the document type, unless
// the user has made another application its default; the rest of the file is
// kept as it was.
std::string withDefaultApplication(std::string_view mimeappsList);

struct DesktopAssociationReport {
    int filesWritten = 0;
    int failures = 0;
    std::vector<std::filesystem::path> failedFiles; // one for each failure
    bool mimeDatabaseRebuilt = false;
    bool desktopDatabaseRebuilt = false;
    bool desktopEntrySkipped = false; // the program's path cannot be written in one
};

DesktopAssociationReport associateWithDesktop(const ProgramLocation& program,
                                              const AssociationEntries& entries,
                                              const XdgFolders& folders, const DesktopIcons& icons,
                                              const ToolRunner& run);

} // namespace vellum
