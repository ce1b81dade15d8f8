// vellum-cli: the editor's file commands without a window.

#include "Commands.h"

#include "desktop/ProgramPath.h"
#include "io/Files.h"

#include <exception>
#include <iostream>
#include <string_view>

#ifndef VELLUM_VERSION
#define VELLUM_VERSION "unknown"
#endif

namespace {

using vellum::cli::Args;
using vellum::cli::Io;

struct Subcommand {
    std::string_view name;
    std::string_view summary;
    int (*run)(const Args& args, Io io);
};

// One line per subcommand; each lives in cli/<Name>.cpp and is declared in
// cli/Commands.h.
constexpr Subcommand kSubcommands[] = {
    {"compile", "turn text documents into TI-85 string files (.85s)", vellum::cli::compile},
    {"decompile", "turn a TI-85 string file back into a text document", vellum::cli::decompile},
    {"check", "validate TI-85 string files strictly", vellum::cli::check},
    {"register", "associate .vlm documents with the editor", vellum::cli::registerAssociation},
};

void printUsage(std::ostream& out) {
    out << "Usage: vellum-cli COMMAND [ARGUMENTS...]\n"
           "       vellum-cli --help | --version\n\n"
           "Vellum's file commands for scripts and builds.\n\n"
           "Commands:\n";
    for (const Subcommand& command : kSubcommands) {
        out << "  " << command.name << std::string(12 - command.name.size(), ' ') << command.summary
            << '\n';
    }
    out << "\nRun \"vellum-cli COMMAND --help\" for the arguments of a command.\n";
}

int dispatch(const Args& all, Io io) {
    if (all.empty()) {
        printUsage(io.err);
        return vellum::cli::kExitUsage;
    }
    const std::string& first = all.front();
    if (first == "-h" || first == "--help" || first == "help") {
        printUsage(io.out);
        return vellum::cli::kExitOk;
    }
    if (first == "--version" || first == "-V") {
        io.out << "vellum-cli " << VELLUM_VERSION << '\n';
        return vellum::cli::kExitOk;
    }
    for (const Subcommand& command : kSubcommands) {
        if (first == command.name) {
            return command.run(Args(all.begin() + 1, all.end()), io);
        }
    }
    vellum::cli::report(io, "unknown command \"" + first + "\" (see vellum-cli --help)");
    return vellum::cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    const Args args = vellum::utf8Arguments(argc, argv);
    Io io{std::cout, std::cerr};
    // A write beyond the file-size limit fails like any other write.
    vellum::io::ignoreFileSizeSignal();
    // Ctrl-C or a kill in a batch leaves no staging file behind.
    vellum::io::removeStagingOnSignals();
    try {
        return dispatch(args, io);
    } catch (const std::exception& e) {
        vellum::cli::report(io, std::string("internal error: ") + e.what());
        return vellum::cli::kExitFailure;
    }
}
