// vellum-cli: the editor's file commands without a window.

#include "Commands.h"

#include "desktop/ProgramPath.h"
#include "io/Files.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
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

int run(const Args& args, Io io) {
    try {
        return dispatch(args, io);
    } catch (const std::exception& e) {
        vellum::cli::report(io, std::string("internal error: ") + e.what());
        return vellum::cli::kExitFailure;
    }
}

// Standard output for what the commands print (as text: on Windows a line
// ends in CR LF there). Held, then written and flushed at once, so that a
// failure is caught while its reason is known. The first failure is kept,
// and nothing more is tried after it.
class StandardOutputBuffer final : public std::streambuf {
  public:
    // Writes what is held; the first failure so far, if any.
    std::optional<vellum::Failure> flushAll() {
        if (!pending_.empty() && !failure_) {
            errno = 0;
            if (std::fwrite(pending_.data(), 1, pending_.size(), stdout) != pending_.size() ||
                std::fflush(stdout) != 0) {
                failure_ = vellum::Failure::fromErrno(errno != 0 ? errno : EIO);
            }
        }
        pending_.clear();
        return failure_;
    }

  protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            const char c = traits_type::to_char_type(ch);
            xsputn(&c, 1);
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (pending_.size() >= kHeld) {
            flushAll();
        }
        return count;
    }
    int sync() override { return flushAll() ? -1 : 0; }

  private:
    static constexpr std::size_t kHeld = 64 * 1024;
    std::string pending_;
    std::optional<vellum::Failure> failure_;
};

// What a command printed (a report, a help text, a check's verdicts) that
// could not be written is a failure like any other, said once at the end.
int finishStandardOutput(int status, StandardOutputBuffer& out, Io io) {
    const std::optional<vellum::Failure> failure = out.flushAll();
    if (!failure) {
        return status;
    }
    vellum::cli::report(io, "cannot write standard output: " + failure->text);
    return status == vellum::cli::kExitOk ? vellum::cli::kExitFailure : status;
}

} // namespace

int main(int argc, char** argv) {
    const Args args = vellum::utf8Arguments(argc, argv);
    StandardOutputBuffer outBuffer;
    std::ostream out(&outBuffer);
    Io io{out, std::cerr};
    // A write beyond the file-size limit fails like any other write.
    vellum::io::ignoreFileSizeSignal();
    // Ctrl-C or a kill in a batch leaves no staging file behind.
    vellum::io::removeStagingOnSignals();
    return finishStandardOutput(run(args, io), outBuffer, io);
}
