// vellum-cli compile: text documents in, TI-85 string files out, through the
// editor's own Load and Compile commands.

#include "Commands.h"

#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "commands/Messages.h"
#include "core/Document.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"
#include "io/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <system_error>

namespace vellum::cli {

namespace {

namespace fs = std::filesystem;

// Two spellings of one output path give one key. The folders of a batch are
// few, so each is resolved once, and the key is that folder and the name.
class OutputKeys {
  public:
    // The key of an output as its path spells it: no look at the output itself.
    std::string keyOf(const std::string& output) {
        const std::string name = io::fileNameOf(output);
        const std::string spelledFolder = output.substr(0, output.size() - name.size());
        auto known = folders_.find(spelledFolder);
        if (known == folders_.end()) {
            const fs::path parent = io::pathFromUtf8(output).parent_path();
            known =
                folders_
                    .emplace(spelledFolder,
                             io::pathToUtf8(io::resolvedPath(parent.empty() ? "." : parent) / ""))
                    .first;
        }
        return known->second + name;
    }

    // The key of an output where something stands: links there are followed,
    // also to where no file is yet.
    std::string keyOfPresent(const std::string& output) {
        const Result<std::string> followed = io::followLinks(output);
        return keyOf(followed.ok() ? followed.value() : output);
    }

  private:
    // A folder as outputs spell it, to its resolved path ending in a separator.
    std::map<std::string, std::string> folders_;
};

constexpr const char* kCompileHelp =
    R"(Usage: vellum-cli compile [--name NAME] [--encoding ENC] [-o OUT] INPUT...
       vellum-cli compile [--encoding ENC] --group OUT.85g INPUT...

Compiles text documents into TI-85 string files (.85s) for the Scrollet viewer,
exactly as the editor's "Compile into TI-85 String" button does.

Each INPUT is read as the editor loads a text document: a path ending in "vlm"
(any case) is a Vellum document whose first line is the variable name; any
other file holds the text alone, and its file name up to the first "." (the
whole name when it has none), lower-cased, is the variable name. Names are cut
to 8 characters; an empty name (from --name '' too) is stored as "untitled",
as in the editor. A line ends at CR LF, at a lone CR or at a lone LF.

Options:
  -n, --name NAME     store the string under NAME instead (cut to 8 characters)
  -e, --encoding ENC  how the bytes of INPUT are read:
                        auto   (default) as UTF-8 when they are valid UTF-8 and
                               hold a non-ASCII character, else as ti85
                        utf-8  characters become the TI-85 characters they
                               stand for, as when pasted into the editor
                               (θ, π, →, ≤, é ...); those without one become
                               "?", and standard error says how many
                        ti85   each byte is a TI-85 character code, as the
                               editor's own older documents hold them
  -o, --output OUT    write OUT instead of INPUT with its extension replaced by
                      .85s; with several inputs, OUT is an existing folder that
                      receives one .85s file for each input
  -g, --group OUT     write one TI-85 group file (.85g) instead, holding one
                      string for each INPUT, in the order given, each named as
                      it would be alone; two inputs with the same variable
                      name, or strings that together pass the group's 64 KB,
                      are refused and nothing is written
  -h, --help          show this help and exit

Environment:
  SOURCE_DATE_EPOCH   seconds since 1970-01-01 00:00 UTC: the time and date in
                      the file's comment are that moment in UTC, in the formats
                      of the C locale, so that the same input always gives the
                      same file. Otherwise the comment holds the local time in
                      the user's formats.

INPUT "-" is standard input (a plain text, named "untitled" unless --name
says otherwise); its file goes to standard output unless -o names one.
OUT "-" is standard output (a single input only).

An existing file at the output is replaced only by a complete new one, and
keeps its permissions. On any failure the output is left as it was, one line
on standard error names the input and the reason, and the other inputs are
still compiled. A device or FIFO output is written in place; an input that is
not a regular file (a folder, FIFO or device) is refused at once.

Exit status: 0 when every file was written, 1 when any failed, 2 on bad usage.
)";

struct Options {
    std::optional<std::string> name;
    std::optional<std::string> output;
    std::optional<std::string> group;     // the group file that takes every input
    std::optional<TextEncoding> encoding; // none: as the bytes look
    std::vector<std::string> inputs;
    bool help = false;
};

// Parses the arguments; on bad usage reports and returns nothing.
std::optional<Options> parse(const Args& args, Io io) {
    Options options;
    std::optional<std::string> encoding;
    std::optional<Arguments> parsed = parseArguments(args, "compile",
                                                     {{"-n", "--name", &options.name},
                                                      {"-e", "--encoding", &encoding},
                                                      {"-o", "--output", &options.output, true},
                                                      {"-g", "--group", &options.group, true}},
                                                     io);
    if (!parsed || !parseEncoding(encoding, "compile", options.encoding, io)) {
        return std::nullopt;
    }
    options.inputs = std::move(parsed->inputs);
    options.help = parsed->help;
    if (!options.help && options.inputs.empty()) {
        report(io, "compile: no input file (see vellum-cli compile --help)");
        return std::nullopt;
    }
    if (!standardInputAtMostOnce(options.inputs, "compile", io)) {
        return std::nullopt;
    }
    if (options.group && options.output) {
        report(io, "compile: --group names the output; -o cannot go with it");
        return std::nullopt;
    }
    if (options.output == kStandardStream && options.inputs.size() > 1) {
        report(io, "compile: -o - (standard output) takes a single input");
        return std::nullopt;
    }
    return options;
}

// The output of one input: "-" for standard output. outputFolder is -o's
// folder ending in a separator when several inputs go there.
std::string outputFor(const Options& options, const std::string& outputFolder,
                      const std::string& input) {
    if (!options.output) {
        return input == kStandardStream ? std::string(kStandardStream)
                                        : io::pathToUtf8(io::pathFromUtf8(input).replace_extension(
                                              kStringFileExtension));
    }
    if (options.inputs.size() == 1) {
        return *options.output;
    }
    const std::string name =
        input == kStandardStream ? std::string(Document::kDefaultVarName) : io::fileNameOf(input);
    return outputFolder +
           io::pathToUtf8(io::pathFromUtf8(name).replace_extension(kStringFileExtension));
}

std::string describeWriteFailure(const Failure& failure) {
    return failure.text + " (error " + std::to_string(failure.number) + ")";
}

// Compiles the inputs of one run, in order. An output where nothing stands
// is written at once; one where something stands (the input itself, a link,
// a file of an earlier run) is checked, then replaced by finish.
class Compiler {
  public:
    Compiler(const Options& options, Clock& clock, Io io)
        : options_(options), clock_(clock), io_(io),
          files_([this](const std::string& target, std::string bytes) {
              return deliver(target, bytes);
          }) {}

    // Whether output is already the output of an earlier input (by its
    // spelling); if not, it is taken from now on.
    bool taken(const std::string& output) {
        return output != kStandardStream && !written_.insert(keys_.keyOf(output)).second;
    }

    // Compiles one input; false after a failure, which has been reported.
    bool run(const std::string& input, const std::string& output) {
        input_ = input;
        refusal_.reset();
        Document doc;
        UnattendedBoxes boxes;
        FixedFileDialog dialog(output);
        Editor editor(doc, {&dialog, &dialog, &boxes, &clock_, &files_});

        const CommandOutcome loaded =
            input == kStandardStream
                ? loadStandardInput(editor, options_.encoding)
                : editor.LoadText(input, Document::TitleFromFileName(io::fileNameOf(input)),
                                  options_.encoding);
        if (!loaded.ok()) {
            report(io_, input + ": " + loaded.failure().text);
            return false;
        }
        if (const std::size_t replaced = editor.replacedByLastLoad(); replaced > 0) {
            report(io_, input + ": " + messages::replacedCharacters(replaced));
        }
        if (options_.name) {
            doc.VarName = Charset::encodeText(Charset::fromUtf8(*options_.name));
            doc.RefreshStatus(); // cuts the name to 8 characters
        }

        inputStamp_ = editor.loadedStamp();
        if (const CommandOutcome written = editor.cmdString_Click(); !written.ok()) {
            report(io_, input + ": " +
                            refusal_.value_or("cannot write " + output + ": " +
                                              describeWriteFailure(written.failure())));
            return false;
        }
        inputOf_[output] = input;
        return true;
    }

    // Puts every compiled file in its place; false when any could not be.
    bool finish() {
        bool allOk = true;
        for (const io::ReplaceBatch::Outcome& outcome : batch_.finish()) {
            if (!outcome.result.ok()) {
                report(io_, inputOf_[outcome.target] + ": cannot write " + outcome.target + ": " +
                                outcome.result.failure().text);
                allOk = false;
            }
        }
        return allOk;
    }

  private:
    // Where the string writer's complete file goes. One look at the output
    // tells whether it is one of the program's streams, whether anything
    // stands there and what: a new output is written at once, an existing
    // one checked and staged with what the look found.
    Result<void> deliver(const std::string& target, const std::string& bytes) {
        if (target == kStandardStream) {
            return io::writeStandardOutput(bytes);
        }
        const Result<io::Standing> standing = io::lookAt(target);
        if (const std::optional<io::NativeHandle> stream =
                streams_.at(target, standing.ok() ? standing.value().info : io::FileInfo{})) {
            return io::writeStream(*stream, bytes);
        }
        if (!standing.ok()) {
            return standing.failure();
        }
        if (standing.value().info.kind == io::FileKind::Missing && !standing.value().link) {
            const Result<bool> fresh = batch_.addNew(target, bytes);
            if (!fresh.ok() || fresh.value()) {
                return fresh.ok() ? Result<void>{} : Result<void>(fresh.failure());
            }
            // Taken meanwhile, or no file can be made without a name: staged
            // as any other, after a look of its own.
            const Result<io::Standing> again = io::lookAt(target);
            return again.ok() ? stageChecked(target, bytes, again.value())
                              : Result<void>(again.failure());
        }
        return stageChecked(target, bytes, standing.value());
    }

    // Stages the output unless refusalFor finds it must not be replaced.
    Result<void> stageChecked(const std::string& target, const std::string& bytes,
                              const io::Standing& standing) {
        refusal_ = refusalFor(target, standing);
        if (refusal_) {
            return Failure::fromErrno(EEXIST);
        }
        return batch_.add(target, bytes, standing);
    }

    // Whether the output is the input itself: by the stamp the load took of
    // the input and what stands at output.
    bool outputIsInput(const std::string& output, const io::Standing& standing) {
        if (input_ == kStandardStream) {
            return false;
        }
        if (!inputStamp_) {
            return io::sameFile(input_, output);
        }
        const io::FileInfo& info = standing.info;
        return info.kind == io::FileKind::Regular && info.kind == inputStamp_->kind &&
               info.device == inputStamp_->device && info.file == inputStamp_->file;
    }

    // Why the file that stands at output must not be replaced, if it must not.
    std::optional<std::string> refusalFor(const std::string& output, const io::Standing& standing) {
        if (outputIsInput(output, standing)) {
            return outputIsTheInput(output);
        }
        // Only a link can lead to an output that another spelling took.
        if (!standing.link) {
            return std::nullopt;
        }
        const std::string key = keys_.keyOfPresent(output);
        if (key != keys_.keyOf(output) && !written_.insert(key).second) {
            return "its output " + output +
                   " is also the output of an earlier input; nothing written";
        }
        return std::nullopt;
    }

    const Options& options_;
    Clock& clock_;
    Io io_;
    io::ReplaceBatch batch_;
    io::OwnStreams streams_; // taken once for the run: nothing here changes the descriptors
    io::BufferedFiles files_;
    OutputKeys keys_;
    std::set<std::string> written_;           // the keys of the outputs taken so far
    std::string input_;                       // the input being compiled
    std::optional<io::FileStamp> inputStamp_; // its stamp, taken as it was loaded
    std::optional<std::string> refusal_;
    std::map<std::string, std::string> inputOf_; // output to input
};

} // namespace

// Loads standard input as the editor loads a text file that is no Vellum
// document; its name is "untitled" unless --name gives one (also for a
// group).
CommandOutcome loadStandardInput(Editor& editor, std::optional<TextEncoding> encoding) {
    Result<std::string> read = readStandardInputBytes();
    if (!read.ok()) {
        return Failure{read.failure().number, "standard input: " + read.failure().text};
    }
    return editor.LoadTextBytes(read.value(), std::string(kStandardStream),
                                Document::kDefaultVarName, encoding);
}

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

    if (options->group) {
        return compileGroup(*options->group, options->inputs, options->name, options->encoding,
                            *clock, io);
    }
    if (options->output && options->inputs.size() > 1) {
        const Result<io::FileInfo> info = io::fileInfo(*options->output);
        if (!info.ok() || info.value().kind != io::FileKind::Folder) {
            report(io, *options->output + ": not a folder; with several inputs -o names the "
                                          "folder that receives the files");
            return kExitFailure;
        }
    }

    const std::string outputFolder =
        options->output ? io::pathToUtf8(io::pathFromUtf8(*options->output) / "") : "";
    Compiler compiler(*options, *clock, io);
    bool allOk = true;
    for (const std::string& input : options->inputs) {
        const std::string output = outputFor(*options, outputFolder, input);
        if (compiler.taken(output)) {
            report(io, input + ": its output " + output +
                           " is also the output of an earlier input; nothing written");
            allOk = false;
            continue;
        }
        allOk = compiler.run(input, output) && allOk;
    }
    return compiler.finish() && allOk ? kExitOk : kExitFailure;
}

} // namespace vellum::cli
