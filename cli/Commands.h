#pragma once
// The subcommands of vellum-cli and what they share: the surroundings that the
// editor's commands expect (a file dialog, message boxes), made for a program
// without a window.
//
// Each subcommand takes its arguments (after its own name) and the output
// streams, and returns the exit status: 0 done, 1 a failure, 2 bad usage.

#include "commands/Editor.h"
#include "commands/Services.h"
#include "core/Document.h"
#include "formats/StringCheck.h"
#include "io/Platform.h"

#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::cli {

using Args = std::vector<std::string>;

struct Io {
    std::ostream& out;
    std::ostream& err;
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr const char* kProgram = "vellum-cli";
// "-" as an input is standard input, as an output standard output.
inline constexpr std::string_view kStandardStream = "-";

// cli/Compile.cpp
int compile(const Args& args, Io io);
// cli/Decompile.cpp
int decompile(const Args& args, Io io);
// cli/Check.cpp
int check(const Args& args, Io io);
// cli/Register.cpp
int registerAssociation(const Args& args, Io io);

// cli/Groups.cpp: group files (.85g).
// check: one line per entry, then the verdict; true when the group and every
// string in it are sound.
bool checkGroup(const std::string& path, Io io);
// decompile: one Vellum document per string, named after its variable, into
// outputFolder (default: the input's folder).
int decompileGroup(const std::string& input, const std::optional<std::string>& outputFolder,
                   std::optional<TextEncoding> encoding, bool lenient, Io io);
// compile --group: every input one string of the group written at output.
int compileGroup(const std::string& output, const std::vector<std::string>& inputs,
                 const std::optional<std::string>& name, std::optional<TextEncoding> encoding,
                 Clock& clock, Io io);

// The open stream that an output names, written as "-" is: standard output
// for "-", and the stream itself for a path that leads to one of the
// program's own open descriptors (/dev/stdout, /dev/fd/2, the file standard
// output was redirected to), so that `-o /dev/stdout >> log` appends to the
// log instead of replacing it. Nothing for a file to be replaced.
std::optional<io::NativeHandle> outputStream(std::string_view output);

// The refusal to write over the input itself.
std::string outputIsTheInput(const std::string& output);

// A file dialog that always "chooses" the path it was given.
class FixedFileDialog final : public FileDialog {
  public:
    explicit FixedFileDialog(std::string path) : path_(std::move(path)) {}
    FileChoice showOpen(const DialogSettings& settings) override;
    FileChoice showSave(const DialogSettings& settings) override;

  private:
    std::string path_;
};

// Message boxes that nobody sees: every Yes/No question is answered No (so a
// failed write leaves the old file), every Yes/No/Cancel question Cancel. What
// went wrong comes back in the commands' outcomes.
class UnattendedBoxes final : public MessageBoxes {
  public:
    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    bool askYesNoCritical(const std::string& message, const std::string& title) override;
    bool askYesNo(const std::string& message, const std::string& title) override;
    void showError(const std::string& message, const std::string& title) override;
    // A warning is no failure; the subcommands print what it says from the
    // command's outcome.
    void showWarning(const std::string& message, const std::string& title) override;
};

// An option that takes a value, given as "-o VALUE", "-oVALUE",
// "--output VALUE" or "--output=VALUE". The last one given counts.
struct ValueOption {
    const char* shortName; // "-o"
    const char* longName;  // "--output"
    std::optional<std::string>* value;
    bool namesFile = false; // an empty value is bad usage
};

// An option without a value, given as "--lenient".
struct FlagOption {
    const char* longName;
    bool* value;
};

// What a subcommand's arguments hold besides its value options.
struct Arguments {
    std::vector<std::string> inputs; // everything else, and all after "--"
    bool help = false;               // -h or --help
};

// Parses a subcommand's arguments. An unknown option, a missing value or an
// empty path (an empty input, or an empty value of an option that names a
// file) is reported (naming the command) and gives nothing: exit with
// kExitUsage.
std::optional<Arguments> parseArguments(const Args& args, const std::string& command,
                                        std::initializer_list<ValueOption> options, Io io,
                                        std::initializer_list<FlagOption> flags = {});

// The value of --encoding: "auto" (and no value at all) gives no encoding,
// "utf-8" UTF-8, "ti85" the calculator's bytes. An unknown name is reported
// (naming the command) and gives false: exit with kExitUsage.
bool parseEncoding(const std::optional<std::string>& name, const std::string& command,
                   std::optional<TextEncoding>& encoding, Io io);

// Reads a string file and checks it strictly (formats/StringCheck.h); the
// failure when it cannot be read.
Result<StringCheckResult> checkFile(const std::string& path);

// Standard input up to its end, for an input "-": what every subcommand reads
// there, at most kLargestTextFile bytes.
Result<std::string> readStandardInputBytes();
// Whether "-" stands at most once among the inputs: standard input can be
// read only once. Says so (as bad usage) when it does not.
bool standardInputAtMostOnce(const std::vector<std::string>& inputs, const std::string& command,
                             Io io);

// Loads standard input as the editor loads a text file that is no Vellum
// document; its name is "untitled" unless the caller gives one.
CommandOutcome loadStandardInput(Editor& editor, std::optional<TextEncoding> encoding);

// The program's name, a colon and the line, on the error stream.
void report(Io io, const std::string& line);

} // namespace vellum::cli
