// vellum-cli register: the association of Vellum documents with the editor,
// written as the editor writes it at every start, for installers, packages
// and anyone who wants it in place before the editor first runs.

#include "Commands.h"

#include "desktop/Association.h"
#include "desktop/DesktopAssociation.h"
#include "desktop/EmbeddedIcons.h"
#include "desktop/ProgramPath.h"
#include "desktop/Registry.h"
#include "desktop/ToolRunner.h"
#include "io/Files.h"

#include <filesystem>
#include <ostream>

namespace vellum::cli {

namespace {

// An installer may start several at once; each waits its turn, but not for
// ever.
constexpr std::chrono::seconds kPatience{60};

constexpr const char* kRegisterHelp = R"(Usage: vellum-cli register [--program PATH]

Registers Vellum documents (.vlm) with the desktop, so that opening one starts
the editor with it: the same association the editor writes at every start.

On Windows that is four registry entries below
HKEY_CURRENT_USER\Software\Classes\.vlm (the type name, the document icon, the
Open action and its command). Elsewhere it is the same entries in Vellum's own
registry store, plus the MIME type, the desktop entry, the icons and the
default application in the user's data and configuration folders.

Options:
  -p, --program PATH  the editor the association names; by default the editor
                      beside this vellum-cli
  -h, --help          show this help and exit

Exit status: 0 when every entry was written; 1 when any failed (one line on
standard error for each); 2 on bad usage.
)";

std::string editorBesideThisProgram() {
    const std::string self = runningExecutable();
    if (self.empty()) {
        return {};
    }
    ProgramLocation editor = locationOfProgram(self);
    editor.name = std::string(editorFileName());
    return editor.path();
}

// The freedesktop half, where the platform has one.
int associateDesktop(const ProgramLocation& program, const AssociationEntries& entries, Io io) {
    if (desktopIntegration() != DesktopIntegration::Freedesktop) {
        return 0;
    }
    const auto folders = XdgFolders::fromEnvironment();
    if (!folders) {
        report(io, "register: no home folder for the desktop's files (HOME is not set)");
        return 1;
    }
    const DesktopAssociationReport desktop =
        associateWithDesktop(program, entries, *folders, embeddedIcons(), processToolRunner());
    for (const std::filesystem::path& file : desktop.failedFiles) {
        report(io, "register: cannot write " + io::pathToUtf8(file));
    }
    // A desktop entry that could not be written is a failure too, though the
    // desktop half has said why already.
    return desktop.failures + (desktop.desktopEntrySkipped ? 1 : 0);
}

} // namespace

int registerAssociation(const Args& args, Io io) {
    std::optional<std::string> program;
    const auto parsed = parseArguments(args, "register", {{"-p", "--program", &program}}, io);
    if (!parsed) {
        return kExitUsage;
    }
    if (parsed->help) {
        io.out << kRegisterHelp;
        return kExitOk;
    }
    if (!parsed->inputs.empty()) {
        report(io, "register: unexpected argument \"" + parsed->inputs.front() +
                       "\" (see vellum-cli register --help)");
        return kExitUsage;
    }
    if (program && program->empty()) {
        report(io, "register: --program names no file");
        return kExitUsage;
    }
    const std::string editor = program ? *program : editorBesideThisProgram();
    if (editor.empty()) {
        report(io, "register: cannot tell where this program is; name the editor with --program");
        return kExitFailure;
    }

    const ProgramLocation location = locationOfProgram(editor);
    const AssociationEntries entries = associationEntries(location);
    int failures = 0;
    const Result<void> locked = whileAssociationLocked(kPatience, [&] {
        const auto registry = platformRegistry(
            [&io](const std::string& problem) { report(io, "register: " + problem); });
        writeAssociationEntries(*registry, entries, [&](const AssociationEntry& entry) {
            report(io,
                   "register: cannot write " + std::string(classesRootLocation()) + entry.keyPath);
            ++failures;
        });
        failures += associateDesktop(location, entries, io);
    });
    if (!locked.ok()) {
        report(io, "register: association not written: " + locked.failure().text);
        return kExitFailure;
    }
    return failures == 0 ? kExitOk : kExitFailure;
}

} // namespace vellum::cli
