// vellum-cli compile: text documents in, TI-85 string files out, through the
// editor's own Load and Compile commands.

#include "Commands.h"
#include "Workers.h"

#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "commands/Messages.h"
#include "core/Document.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"
#include "io/Files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <system_error>
#include <variant>
#include <vector>

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

// Why an output that an earlier input of the run took gets nothing.
std::string outputTakenEarlier(const std::string& output) {
    return "its output " + output + " is also the output of an earlier input; nothing written";
}

std::string describeWriteFailure(const Failure& failure) {
    return failure.text + " (error " + std::to_string(failure.number) + ")";
}

// A clock for the writers of several threads: one reading at a time.
class SharedClock final : public Clock {
  public:
    explicit SharedClock(Clock& clock) : clock_(clock) {}
    Result<ClockReading> now() override {
        const std::lock_guard guard(lock_);
        return clock_.now();
    }

  private:
    Clock& clock_;
    std::mutex lock_;
};

// What loading and compiling one input gave: the complete file for its
// output, or what says why there is none.
struct Compiled {
    std::size_t order = 0; // of the input among the run's
    std::string input;
    std::vector<std::string> messages; // from the load and the compile
    bool done = false;                 // the complete file is in bytes
    std::string target;                // where the writer put it
    std::string bytes;
    std::optional<io::FileStamp> inputStamp; // taken as the input was loaded
};

// How the write of one output went.
struct Delivery {
    Result<void> result;
    std::optional<std::string> refusal; // why the output must not be replaced
    // No file could be made there without a name (or the name was taken
    // meanwhile): to be staged as any other, after a look of its own.
    std::optional<Compiled> lookAgain;
};

Delivery deliveryOf(Result<void> result) {
    Delivery delivery;
    delivery.result = std::move(result);
    return delivery;
}

Delivery refused(std::string why) {
    Delivery delivery;
    delivery.result = Failure::fromErrno(EEXIST);
    delivery.refusal = std::move(why);
    return delivery;
}

// A write for a worker: a file to stage over what a look found there, or a
// new file where the look found nothing.
struct StagingJob {
    Compiled compiled;
    std::optional<io::Standing> standing; // none: a new file
};

// One input on its way through the batch, reported in the inputs' order.
struct Pending {
    std::string input;
    std::string output;
    std::vector<std::string> messages;
    bool failed = false;
    std::optional<Delivery> delivery; // how its write went, where that is known
    std::optional<std::size_t> job;   // else its job among its block's
};

// Inputs taken together: compiled by one worker, then staged by one.
struct PendingBlock {
    std::vector<Pending> inputs;
    std::future<std::vector<Delivery>> staged; // how the jobs' writes went, in their order
};

// Inputs handed to a worker at a time: enough that a handoff between threads
// costs little beside their work.
constexpr std::size_t kInputsPerTask = 32;

// Compiles the inputs of one run. Workers load and compile the inputs, and
// stage the files that replace an ordinary file or are new; what depends on
// the inputs' order (which input takes an output, anything written into a
// file in place, the messages) happens in the calling thread, in that order.
// A new output is written at once; an existing one (the input itself, a
// link, a file of an earlier run) is checked, then staged, and put in place
// by finish (or at once, where nothing waits for a flush).
class Compiler {
  public:
    Compiler(const Options& options, Clock& clock, Io io)
        : options_(options), clock_(clock), io_(io), workers_(workersFor(options.inputs.size())) {}

    // Compiles each input into its output; false after any failure, which
    // has been reported.
    bool compileAll(const std::vector<std::string>& outputs) {
        const std::size_t count = options_.inputs.size();
        const std::size_t perTask = workers_.threads() == 0 ? count : kInputsPerTask;
        const std::size_t blocks = (count + perTask - 1) / perTask;
        // How many blocks the workers may run ahead of the reports.
        const std::size_t ahead = workers_.threads() + 1;
        std::vector<std::future<std::vector<Compiled>>> compiled(blocks);
        std::size_t started = 0;
        std::deque<PendingBlock> pending;
        bool allOk = true;
        for (std::size_t block = 0; block < blocks; ++block) {
            for (; started < std::min(blocks, block + ahead); ++started) {
                const std::size_t first = started * perTask;
                compiled[started] = compileLater(first, std::min(count, first + perTask), outputs);
            }
            while (pending.size() > ahead) {
                allOk = settleFirst(pending) && allOk;
            }
            pending.push_back(startWrites(block * perTask, compiled[block].get(), outputs));
            while (!pending.empty() && settled(pending.front())) {
                allOk = settleFirst(pending) && allOk;
            }
        }
        while (!pending.empty()) {
            allOk = settleFirst(pending) && allOk;
        }
        return allOk;
    }

    // Puts every staged file in its place; false when any could not be.
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
    // Loads and compiles the inputs from first up to last on a worker.
    // Standard input is left to its turn: it may be a terminal, and an input
    // whose output is taken is not read.
    std::future<std::vector<Compiled>> compileLater(std::size_t first, std::size_t last,
                                                    const std::vector<std::string>& outputs) {
        std::vector<std::string> inputs(options_.inputs.begin() + first,
                                        options_.inputs.begin() + last);
        std::vector<std::string> theirOutputs(outputs.begin() + first, outputs.begin() + last);
        return workers_.run([this, inputs = std::move(inputs), outputs = std::move(theirOutputs)] {
            std::vector<Compiled> made(inputs.size());
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                if (inputs[k] != kStandardStream) {
                    made[k] = compileOne(inputs[k], outputs[k]);
                }
            }
            return made;
        });
    }

    // Loads and compiles one input, in any thread.
    Compiled compileOne(const std::string& input, const std::string& output) {
        Compiled compiled;
        compiled.input = input;
        Document doc;
        UnattendedBoxes boxes;
        FixedFileDialog dialog(output);
        io::BufferedFiles files([&compiled](const std::string& target, std::string bytes) {
            compiled.target = target;
            compiled.bytes = std::move(bytes);
            return Result<void>{};
        });
        Editor editor(doc, {&dialog, &dialog, &boxes, &clock_, &files});

        const CommandOutcome loaded =
            input == kStandardStream
                ? loadStandardInput(editor, options_.encoding)
                : editor.LoadText(input, Document::TitleFromFileName(io::fileNameOf(input)),
                                  options_.encoding);
        if (!loaded.ok()) {
            compiled.messages.push_back(input + ": " + loaded.failure().text);
            return compiled;
        }
        if (const std::size_t replaced = editor.replacedByLastLoad(); replaced > 0) {
            compiled.messages.push_back(input + ": " + messages::replacedCharacters(replaced));
        }
        if (options_.name) {
            doc.VarName = Charset::encodeText(Charset::fromUtf8(*options_.name));
            doc.RefreshStatus(); // cuts the name to 8 characters
        }
        compiled.inputStamp = editor.loadedStamp();
        if (const CommandOutcome written = editor.cmdString_Click(); !written.ok()) {
            compiled.messages.push_back(input + ": cannot write " + output + ": " +
                                        describeWriteFailure(written.failure()));
            return compiled;
        }
        compiled.done = true;
        return compiled;
    }

    // Takes the compiled inputs of a block on, from input number first: each
    // takes its output, and its write is done at once or handed, with the
    // block's others, to a worker.
    PendingBlock startWrites(std::size_t first, std::vector<Compiled> compiled,
                             const std::vector<std::string>& outputs) {
        PendingBlock block;
        std::vector<StagingJob> jobs;
        for (std::size_t k = 0; k < compiled.size(); ++k) {
            const std::size_t order = first + k;
            Pending next;
            next.input = options_.inputs[order];
            next.output = outputs[order];
            if (taken(next.output)) {
                next.messages.push_back(next.input + ": " + outputTakenEarlier(next.output));
                next.failed = true;
            } else {
                Compiled& made = compiled[k];
                if (next.input == kStandardStream) {
                    made = compileOne(next.input, next.output);
                }
                next.messages = std::move(made.messages);
                next.failed = !made.done;
                if (made.done) {
                    made.order = order;
                    inputOf_[made.target] = next.input;
                    std::variant<Delivery, StagingJob> way = startWrite(std::move(made));
                    if (StagingJob* job = std::get_if<StagingJob>(&way)) {
                        next.job = jobs.size();
                        jobs.push_back(std::move(*job));
                    } else {
                        next.delivery = std::move(std::get<Delivery>(way));
                    }
                }
            }
            block.inputs.push_back(std::move(next));
        }
        if (!jobs.empty()) {
            block.staged = workers_.run([this, jobs = std::move(jobs)]() mutable {
                std::vector<Delivery> deliveries;
                deliveries.reserve(jobs.size());
                for (StagingJob& job : jobs) {
                    deliveries.push_back(stage(std::move(job)));
                }
                return deliveries;
            });
        }
        return block;
    }

    static bool settled(const PendingBlock& block) {
        return !block.staged.valid() ||
               block.staged.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    // Waits for the writes of the first block to end and reports what its
    // inputs said; false when any failed.
    bool settleFirst(std::deque<PendingBlock>& pending) {
        PendingBlock block = std::move(pending.front());
        pending.pop_front();
        std::vector<Delivery> staged;
        if (block.staged.valid()) {
            staged = block.staged.get();
        }
        bool allOk = true;
        for (Pending& one : block.inputs) {
            for (const std::string& message : one.messages) {
                report(io_, message);
            }
            std::optional<Delivery> delivery =
                one.job ? std::optional<Delivery>(std::move(staged[*one.job]))
                        : std::move(one.delivery);
            if (delivery && delivery->lookAgain) {
                delivery = stageAfterALook(std::move(*delivery->lookAgain));
            }
            if (delivery && !delivery->result.ok()) {
                report(io_, one.input + ": " +
                                delivery->refusal.value_or(
                                    "cannot write " + one.output + ": " +
                                    describeWriteFailure(delivery->result.failure())));
                one.failed = true;
            }
            allOk = !one.failed && allOk;
        }
        return allOk;
    }

    // Whether output is already the output of an earlier input (by its
    // spelling); if not, it is taken from now on.
    bool taken(const std::string& output) {
        return output != kStandardStream && !written_.insert(keys_.keyOf(output)).second;
    }

    // Where the string writer's complete file goes. One look at the output
    // tells whether it is one of the program's streams, whether anything
    // stands there and what: a new output or an ordinary file is left to a
    // worker, anything else written here.
    std::variant<Delivery, StagingJob> startWrite(Compiled compiled) {
        const std::string& target = compiled.target;
        if (target == kStandardStream) {
            return deliveryOf(io::writeStandardOutput(compiled.bytes));
        }
        const Result<io::Standing> standing = io::lookAt(target);
        if (const std::optional<io::NativeHandle> stream =
                streams_.at(target, standing.ok() ? standing.value().info : io::FileInfo{})) {
            return deliveryOf(io::writeStream(*stream, compiled.bytes));
        }
        if (!standing.ok()) {
            return deliveryOf(standing.failure());
        }
        if (standing.value().info.kind == io::FileKind::Missing && !standing.value().link) {
            return StagingJob{std::move(compiled), std::nullopt};
        }
        return stageChecked(std::move(compiled), standing.value());
    }

    // Stages the output unless refusalFor finds it must not be replaced. A
    // file with other names, a device or a FIFO is written into itself here,
    // in the inputs' order; any other file is left to a worker.
    std::variant<Delivery, StagingJob> stageChecked(Compiled compiled,
                                                    const io::Standing& standing) {
        if (std::optional<std::string> refusal = refusalFor(compiled, standing)) {
            return refused(std::move(*refusal));
        }
        const io::FileInfo& info = standing.info;
        const bool ordinaryFile =
            (info.kind == io::FileKind::Regular || info.kind == io::FileKind::Missing) &&
            info.links <= 1;
        if (!ordinaryFile) {
            return deliveryOf(
                batch_.add(compiled.target, compiled.bytes, standing, compiled.order));
        }
        return StagingJob{std::move(compiled), standing};
    }

    // Stages the output of a job, on a worker. A new file that cannot be made
    // without a name (or whose name was taken meanwhile) is looked at again
    // and staged as any other, unless a link now stands there: whether
    // another input took the file it leads to is for the calling thread to
    // tell.
    Delivery stage(StagingJob job) {
        Compiled& compiled = job.compiled;
        if (!job.standing) {
            const Result<bool> fresh = batch_.addNew(compiled.target, compiled.bytes);
            if (!fresh.ok() || fresh.value()) {
                return deliveryOf(fresh.ok() ? Result<void>{} : Result<void>(fresh.failure()));
            }
            Result<io::Standing> again = io::lookAt(compiled.target);
            if (!again.ok()) {
                return deliveryOf(again.failure());
            }
            if (again.value().link) {
                Delivery delivery;
                delivery.lookAgain = std::move(compiled);
                return delivery;
            }
            if (outputIsInput(compiled, again.value())) {
                return refused(outputIsTheInput(compiled.target));
            }
            job.standing = std::move(again.value());
        }
        return deliveryOf(
            batch_.add(compiled.target, compiled.bytes, job.standing, compiled.order));
    }

    // The output of an input whose new file a worker could not make, staged
    // here after a look of its own.
    Delivery stageAfterALook(Compiled compiled) {
        const Result<io::Standing> again = io::lookAt(compiled.target);
        if (!again.ok()) {
            return deliveryOf(again.failure());
        }
        std::variant<Delivery, StagingJob> way = stageChecked(std::move(compiled), again.value());
        if (StagingJob* job = std::get_if<StagingJob>(&way)) {
            return stage(std::move(*job));
        }
        return std::move(std::get<Delivery>(way));
    }

    // Whether the output is the input itself: by the stamp the load took of
    // the input and what stands at the output.
    static bool outputIsInput(const Compiled& compiled, const io::Standing& standing) {
        if (compiled.input == kStandardStream) {
            return false;
        }
        if (!compiled.inputStamp) {
            return io::sameFile(compiled.input, compiled.target);
        }
        const io::FileInfo& info = standing.info;
        const io::FileStamp& stamp = *compiled.inputStamp;
        return info.kind == io::FileKind::Regular && info.kind == stamp.kind &&
               info.device == stamp.device && info.file == stamp.file;
    }

    // Why the file that stands at the output must not be replaced, if it
    // must not.
    std::optional<std::string> refusalFor(const Compiled& compiled, const io::Standing& standing) {
        const std::string& output = compiled.target;
        if (outputIsInput(compiled, standing)) {
            return outputIsTheInput(output);
        }
        // Only a link can lead to an output that another spelling took.
        if (!standing.link) {
            return std::nullopt;
        }
        const std::string key = keys_.keyOfPresent(output);
        if (key != keys_.keyOf(output) && !written_.insert(key).second) {
            return outputTakenEarlier(output);
        }
        return std::nullopt;
    }

    const Options& options_;
    SharedClock clock_;
    Io io_;
    io::ReplaceBatch batch_;
    io::OwnStreams streams_; // taken once for the run: nothing here changes the descriptors
    OutputKeys keys_;
    std::set<std::string> written_;              // the keys of the outputs taken so far
    std::map<std::string, std::string> inputOf_; // output to input
    // Last, so that it ends first: its tasks use the members above.
    Workers workers_;
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
    std::vector<std::string> outputs;
    outputs.reserve(options->inputs.size());
    for (const std::string& input : options->inputs) {
        outputs.push_back(outputFor(*options, outputFolder, input));
    }
    Compiler compiler(*options, *clock, io);
    const bool allOk = compiler.compileAll(outputs);
    return compiler.finish() && allOk ? kExitOk : kExitFailure;
}

} // namespace vellum::cli
