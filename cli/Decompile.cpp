// vellum-cli decompile: a TI-85 string file in, a text document out, through
// the editor's own string loader and text-document save.

#include "Commands.h"

#include "commands/Editor.h"
#include "core/Document.h"
#include "formats/StringCheck.h"
#include "formats/TextDocument.h"
#include "formats/VariableFile.h"
#include "io/Files.h"

#include <cerrno>
#include <optional>
#include <ostream>

namespace vellum::cli {

namespace {

constexpr const char* kDecompileHelp =
    R"(Usage: vellum-cli decompile [--lenient] [--encoding ENC] [-o OUT] INPUT.85s
       vellum-cli decompile [--lenient] [--encoding ENC] [-o FOLDER] INPUT.85g

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
                      name as its first line, any other holds the text alone;
                      "-" is standard output (the text alone)
  -e, --encoding ENC  how the text is written, lines ending in CR LF:
                        utf-8  (default; auto is the same) each TI-85
                               character as the Unicode character it
                               shows, for every other program to read
                        ti85   each character as its TI-85 code, one byte,
                               as older versions of the editor wrote it
      --lenient       decompile a damaged file all the same, as the editor
                      would load it, with a warning on standard error
  -h, --help          show this help and exit

An INPUT ending in .85g is a group file: each string in the viewer's layout
becomes a Vellum document named after its variable (NAME.vlm; characters no
file name may hold become "_"), exactly as that string alone would be
decompiled, written into FOLDER (default: the folder of INPUT), in the order
of the group. Variables of other types are listed on standard error and
skipped, and so are strings not in the viewer's layout (--lenient writes them
as the editor would load them). Two strings that would write one file stop
the whole group before anything is written.

INPUT "-" is standard input; its text goes to standard output unless -o names
a file. A device or FIFO output is written in place.

An existing OUT is replaced only once the new file is complete; on any failure
one line on standard error gives the reason and no file is written.

Exit status: 0 when the file (for a group every string) was written, 1 on a
failure, 2 on bad usage.
)";

struct Options {
    std::optional<std::string> output;
    std::optional<TextEncoding> encoding; // none: as the editor would save
    std::vector<std::string> inputs;
    bool help = false;
    bool lenient = false;
};

std::optional<Options> parse(const Args& args, Io io) {
    Options options;
    std::optional<std::string> encoding;
    const auto parsed =
        parseArguments(args, "decompile",
                       {{"-e", "--encoding", &encoding}, {"-o", "--output", &options.output, true}},
                       io, {{"--lenient", &options.lenient}});
    if (!parsed || !parseEncoding(encoding, "decompile", options.encoding, io)) {
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

// The editor reads only a few fixed positions; a damaged file would give a
// text nobody meant. Says so; false when nothing may be written.
bool acceptDamage(const StringCheckResult& checked, const std::string& input, bool lenient, Io io) {
    if (checked.valid) {
        return true;
    }
    const std::string damage = "damaged: " + checked.problem;
    if (!lenient) {
        report(io, input + ": " + damage +
                       "; nothing written (--lenient writes what the editor "
                       "would load)");
        return false;
    }
    report(io, input + ": warning: " + damage + "; writing what the editor would load");
    return true;
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
    if (isGroupPath(input)) {
        return decompileGroup(input, options->output, options->encoding, options->lenient, io);
    }
    const bool fromStandardInput = input == kStandardStream;
    const std::string output = options->output.value_or(
        fromStandardInput ? std::string(kStandardStream)
                          : io::pathToUtf8(io::pathFromUtf8(input).replace_extension(".vlm")));
    if (!fromStandardInput && io::sameFile(input, output)) {
        report(io, input + ": " + outputIsTheInput(output));
        return kExitFailure;
    }

    // The editor reads a missing file as an empty one and refuses it; here the
    // plain reason is more use.
    if (!fromStandardInput) {
        const Result<io::FileInfo> info = io::fileInfo(input);
        if (!info.ok() || info.value().kind == io::FileKind::Missing) {
            report(io,
                   input + ": " + (info.ok() ? Failure::fromErrno(ENOENT) : info.failure()).text);
            return kExitFailure;
        }
    }

    std::string standardInput;
    if (fromStandardInput) {
        Result<std::string> read = readStandardInputBytes();
        if (!read.ok()) {
            report(io, "standard input: " + read.failure().text);
            return kExitFailure;
        }
        standardInput = std::move(read.value());
    }
    const Result<StringCheckResult> checked =
        fromStandardInput
            ? Result<StringCheckResult>(checkStringFile(standardInput, standardInput.size()))
            : checkFile(input);
    if (!checked.ok()) {
        report(io, input + ": " + checked.failure().text);
        return kExitFailure;
    }
    if (!acceptDamage(checked.value(), input, options->lenient, io)) {
        return kExitFailure;
    }

    Document doc;
    UnattendedBoxes boxes;
    Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
    const Bytes title = Document::TitleFromFileName(io::fileNameOf(input));
    const CommandOutcome loaded = fromStandardInput ? editor.LoadStringBytes(standardInput, title)
                                                    : editor.LoadString(input, title);
    if (!loaded.ok()) {
        report(io, input + ": not a valid Scrollet string: " + loaded.failure().text);
        return kExitFailure;
    }
    const TextEncoding encoding = options->encoding.value_or(doc.Encoding);
    const std::optional<io::NativeHandle> stream = outputStream(output);
    const Result<void> saved =
        stream
            ? io::writeStream(*stream, formatTextDocument(doc.VarName, doc.text(), false, encoding))
            : saveTextDocument(output, doc.VarName, doc.text(), encoding);
    if (!saved.ok()) {
        report(io, input + ": cannot write " + output + ": " + saved.failure().text);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vellum::cli
