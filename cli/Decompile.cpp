// vellum-cli decompile: a TI-85 string file in, a text document out, through
// the editor's own string loader and text-document save.

#include "Commands.h"

#include "core/Document.h"
#include "formats/StringReader.h"
#include "formats/TextDocument.h"
#include "io/Files.h"

#include <cerrno>

#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace vellum::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kLargestStandardInput = 64ull << 20;

constexpr const char* kDecompileHelp = R"(Usage: vellum-cli decompile [-o OUT] INPUT.85s

Reads a TI-85 string file exactly as the editor's "Load .85s" button does and
saves the text as the editor's Save does.

The string must be in the Scrollet viewer's layout (the byte EF after the
string's first byte); its variable name becomes lower case, NUL bytes are
dropped and line ends become CR LF.

Options:
  -o, --output OUT    write OUT instead of INPUT with its extension replaced by
                      .vlm; a name ending in "vlm" (any case) gets the variable
                      name as its first line, any other holds the text alone;
                      "-" is standard output (the text alone)

INPUT "-" is standard input; its text goes to standard output unless -o names
a file. A device or FIFO output is written in place.
  -h, --help          show this help and exit

An existing OUT is replaced only once the new file is complete; on any failure
one line on standard error gives the reason and no file is written.

Exit status: 0 when the file was written, 1 on a failure, 2 on bad usage.
)";

struct Options {
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    bool help = false;
};

std::optional<Options> parse(const Args& args, Io io) {
    Options options;
    const auto parsed =
        parseArguments(args, "decompile", {{"-o", "--output", &options.output}}, io);
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

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(io::pathFromUtf8(a), io::pathFromUtf8(b), error) && !error;
}

// Loads a string file from standard input as the editor's Load .85s would
// from a file.
LoadResult loadStandardInput(Document& doc, RecordingBoxes& boxes) {
    LoadResult result;
    // A longer input is no string file the reader takes; its head decides.
    Result<std::string> read = io::readStandardInput(kLargestStandardInput);
    if (!read.ok()) {
        result.reason = "standard input: " + read.failure().text;
        return result;
    }
    StringDecode decoded = decodeStringFile(read.value());
    switch (decoded.status) {
    case StringDecode::Status::Refused:
        boxes.showError(kNotScrolletMessage, kNotScrolletTitle);
        result.status = LoadResult::Status::Refused;
        return result;
    case StringDecode::Status::Failed:
        result.reason = decoded.reason;
        return result;
    case StringDecode::Status::Accepted:
        break;
    }
    doc.VarName = std::move(decoded.name);
    doc.setText(decoded.text);
    doc.RefreshStatus();
    result.status = LoadResult::Status::Loaded;
    return result;
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
    const bool fromStandardInput = input == kStandardStream;
    const std::string output = options->output.value_or(
        fromStandardInput ? std::string(kStandardStream)
                          : io::pathToUtf8(io::pathFromUtf8(input).replace_extension(".vlm")));
    if (!fromStandardInput && sameFile(input, output)) {
        report(io, input + ": the output " + output + " is the input itself; nothing written");
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

    Document doc;
    RecordingBoxes boxes;
    Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
    const Bytes title =
        Document::TitleFromFileName(io::pathToUtf8(io::pathFromUtf8(input).filename()))
            .value_or(Document::kDefaultVarName);
    const LoadResult loaded =
        fromStandardInput ? loadStandardInput(doc, boxes) : editor.LoadString(input, title);
    if (!loaded.ok()) {
        report(io, input + ": " +
                       (loaded.status == LoadResult::Status::Refused ? boxes.firstAsLine()
                                                                     : loaded.reason));
        return kExitFailure;
    }
    const Result<void> saved =
        output == kStandardStream
            ? io::writeStandardOutput(formatTextDocument(doc.VarName, doc.text(), false))
            : saveTextDocument(output, doc.VarName, doc.text());
    if (!saved.ok()) {
        report(io, input + ": cannot write " + output + ": " + saved.failure().text);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vellum::cli
