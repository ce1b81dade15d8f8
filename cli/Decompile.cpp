// vellum-cli decompile: a TI-85 string file in, a text document out, through
// the editor's own string loader and text-document save.

#include "Commands.h"

#include "commands/Editor.h"
#include "core/Document.h"
#include "formats/StringReader.h"
#include "formats/TextDocument.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace vellum::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDecompileHelp = R"(Usage: vellum-cli decompile [--lenient] [-o OUT] INPUT.85s

Reads a TI-85 string file exactly as the editor's "Load .85s" button does and
saves the text as the editor's Save does.

The string must be in the Scrollet viewer's layout (the byte EF after the
string's first byte); its variable name becomes lower case, NUL bytes are
dropped and line ends become CR LF.

A file that "vellum-cli check" finds damaged (truncated, a wrong length or
checksum) is not decompiled: the damage is named and nothing is written.

Options:
  -o, --output OUT    write OUT instead of INPUT with its extension replaced by
                      .vlm; a name ending in "vlm" (any case) gets the variable
                      name as its first line, any other holds the text alone
      --lenient       decompile a damaged file all the same, as the editor
                      would load it, with a warning on standard error
  -h, --help          show this help and exit

An existing OUT is replaced only once the new file is complete; on any failure
one line on standard error gives the reason and no file is written.

Exit status: 0 when the file was written, 1 on a failure, 2 on bad usage.
)";

struct Options {
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    bool help = false;
    bool lenient = false;
};

std::optional<Options> parse(const Args& args, Io io) {
    Options options;
    const auto parsed = parseArguments(args, "decompile", {{"-o", "--output", &options.output}}, io,
                                       {{"--lenient", &options.lenient}});
    if (!parsed) {
        return std::nullopt;
    }
    options.inputs = parsed->inputs;
    options.help = parsed->help;
    if (!options.help && options.inputs.size() != 1) {
        report(io, std::string("decompile: ") +
                       (options.inputs.empty() ? "no input file" : "one input file at a time") +
                       " (see vellum-cli decompile --help)");
        return std::nullopt;
    }
    return options;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

} // namespace

int decompile(const Args& args, Io io) {
    const std::optional<Options> options = parse(args, io);
    if (!options) {
        return kExitUsage;
    }
    if (options->help) {
        io.out << kDecompileHelp;
        return kExitOk;
    }
    const std::string& input = options->inputs.front();
    const std::string output =
        options->output.value_or(fs::path(input).replace_extension(".vlm").string());
    if (sameFile(input, output)) {
        report(io, input + ": the output " + output + " is the input itself; nothing written");
        return kExitFailure;
    }

    // The editor reads a missing file as an empty one and refuses it; here the
    // plain reason is more use.
    std::error_code error;
    if (!fs::exists(input, error)) {
        report(io,
               input + ": " + std::make_error_code(std::errc::no_such_file_or_directory).message());
        return kExitFailure;
    }

    // The editor reads only a few fixed positions; a damaged file would give
    // a text nobody meant. Say so, and write nothing unless asked.
    const Result<StringCheckResult> checked = checkFile(input);
    if (!checked.ok()) {
        report(io, input + ": " + checked.failure().text);
        return kExitFailure;
    }
    if (!checked.value().valid) {
        const std::string damage = "damaged: " + checked.value().problem;
        if (!options->lenient) {
            report(io, input + ": " + damage +
                           "; nothing written (--lenient writes what the "
                           "editor would load)");
            return kExitFailure;
        }
        report(io, input + ": warning: " + damage + "; writing what the editor would load");
    }

    Document doc;
    UnattendedBoxes boxes;
    Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
    const Bytes title = Document::TitleFromFileName(fs::path(input).filename().string());
    const CommandOutcome loaded = editor.LoadString(input, title);
    if (!loaded.ok()) {
        report(io, input + ": not a valid Scrollet string: " + loaded.failure().text);
        return kExitFailure;
    }
    const FileResult saved = saveTextDocument(output, doc.VarName, doc.text());
    if (!saved.ok) {
        report(io, input + ": cannot write " + output + ": " + saved.reason);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vellum::cli
