// vellum-cli compile: text documents in, TI-85 string files out, through the
// editor's own Load and Compile commands.

#include "Commands.h"

#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "core/Document.h"
#include "formats/ByteFiles.h"
#include "formats/StringFile.h"
#include "formats/TextDocument.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <system_error>

namespace vellum::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCompileHelp = R"(Usage: vellum-cli compile [--name NAME] [-o OUT] INPUT...

Compiles text documents into TI-85 string files (.85s) for the Scrollet viewer,
exactly as the editor's "Compile into TI-85 String" button does.

Each INPUT is read as the editor loads a text document: a path ending in "vlm"
(any case) is a Vellum document whose first line is the variable name; any
other file holds the text alone, and its file name up to the first "." (the
whole name when it has none), lower-cased, is the variable name. Names are cut
to 8 characters.

Options:
  -n, --name NAME     store the string under NAME instead (cut to 8 characters)
  -o, --output OUT    write OUT instead of INPUT with its extension replaced by
                      .85s; with several inputs, OUT is an existing folder that
                      receives one .85s file for each input
  -h, --help          show this help and exit

Environment:
  SOURCE_DATE_EPOCH   seconds since 1970-01-01 00:00 UTC: the time and date in
                      the file's comment are that moment in UTC, in the formats
                      of the C locale, so that the same input always gives the
                      same file. Otherwise the comment holds the local time in
                      the user's formats.

An existing file at the output is replaced. On any failure the output is
removed, one line on standard error names the input and the reason, and the
other inputs are still compiled.

Exit status: 0 when every file was written, 1 when any failed, 2 on bad usage.
)";

struct Options {
    std::optional<std::string> name;
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    bool help = false;
};

// Parses the arguments; on bad usage reports and returns nothing.
std::optional<Options> parse(const Args& args, Io io) {
    Options options;
    std::optional<Arguments> parsed =
        parseArguments(args, "compile",
                       {{"-n", "--name", &options.name}, {"-o", "--output", &options.output}}, io);
    if (!parsed) {
        return std::nullopt;
    }
    options.inputs = std::move(parsed->inputs);
    options.help = parsed->help;
    if (!options.help && options.inputs.empty()) {
        report(io, "compile: no input file (see vellum-cli compile --help)");
        return std::nullopt;
    }
    return options;
}

fs::path outputFor(const Options& options, const fs::path& input) {
    if (!options.output) {
        return fs::path(input).replace_extension(kStringFileExtension);
    }
    if (options.inputs.size() == 1) {
        return *options.output;
    }
    return fs::path(*options.output) /
           fs::path(input.filename()).replace_extension(kStringFileExtension);
}

// True when both paths name the same existing file.
bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

std::string describeWriteFailure(const Failure& failure) {
    return failure.text + " (error " + std::to_string(failure.number) + ")";
}

class Compiler {
  public:
    Compiler(const Options& options, Clock& clock, Io io)
        : options_(options), clock_(clock), io_(io) {}

    // Compiles one input; false after a failure, which has been reported.
    bool run(const std::string& input, const fs::path& output) {
        const std::string out = output.string();
        if (sameFile(input, output)) {
            report(io_, input + ": the output " + out + " is the input itself; nothing written");
            return false;
        }
        const Bytes title = Document::TitleFromFileName(fs::path(input).filename().string());

        Document doc;
        UnattendedBoxes boxes;
        FixedFileDialog dialog(out);
        PosixFiles files;
        Editor editor(doc, {&dialog, &dialog, &boxes, &clock_, &files});

        const CommandOutcome loaded = editor.LoadText(input, title);
        if (!loaded.ok()) {
            report(io_, input + ": " + loaded.failure().text);
            return false;
        }
        if (options_.name) {
            doc.VarName = Charset::encodeText(Charset::fromUtf8(*options_.name));
            doc.RefreshStatus(); // cuts the name to 8 characters
        }

        const CommandOutcome written = editor.cmdString_Click();
        if (written.ok()) {
            return true;
        }
        std::string line =
            input + ": cannot write " + out + ": " + describeWriteFailure(written.failure());
        bool left = false;
        if (files.exists(out, left).ok() && left) {
            line += "; the incomplete file could not be removed";
        }
        report(io_, line);
        return false;
    }

  private:
    const Options& options_;
    Clock& clock_;
    Io io_;
};

} // namespace

int compile(const Args& args, Io io) {
    const std::optional<Options> options = parse(args, io);
    if (!options) {
        return kExitUsage;
    }
    if (options->help) {
        io.out << kCompileHelp;
        return kExitOk;
    }

    std::unique_ptr<Clock> clock;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr) {
        const std::optional<std::time_t> seconds = parseSourceDateEpoch(epoch);
        if (!seconds) {
            report(io,
                   std::string("SOURCE_DATE_EPOCH is not a number of seconds: \"") + epoch + "\"");
            return kExitFailure;
        }
        clock = std::make_unique<FixedUtcClock>(*seconds);
    } else {
        clock = std::make_unique<LocalClock>();
    }

    if (options->output && options->inputs.size() > 1) {
        std::error_code error;
        if (!fs::is_directory(*options->output, error)) {
            report(io, *options->output + ": not a folder; with several inputs -o names the "
                                          "folder that receives the files");
            return kExitFailure;
        }
    }

    Compiler compiler(*options, *clock, io);
    std::set<fs::path> written;
    bool allOk = true;
    for (const std::string& input : options->inputs) {
        const fs::path output = outputFor(*options, input);
        std::error_code error;
        fs::path key = fs::weakly_canonical(output, error);
        if (error) {
            key = fs::absolute(output, error).lexically_normal();
        }
        if (!written.insert(key).second) {
            report(io, input + ": its output " + output.string() +
                           " is also the output of an earlier input; nothing written");
            allOk = false;
            continue;
        }
        allOk = compiler.run(input, output) && allOk;
    }
    return allOk ? kExitOk : kExitFailure;
}

} // namespace vellum::cli
