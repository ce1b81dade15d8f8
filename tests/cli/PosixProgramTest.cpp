// vellum-cli as a user runs it from a POSIX shell: the dispatcher, exit
// statuses, real write failures. (tests/windows runs vellum-cli.exe itself.)

#include "formats/StringFile.h"
#include "formats/VariableFile.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs a shell command line with vellum-cli as "$CLI".
Outcome shell(const ScratchFolder& folder, const std::string& line) {
    const std::string out = folder / "stdout";
    const std::string err = folder / "stderr";
    const std::string command = "CLI='" VELLUM_CLI_PATH "'; cd '" + folder.path().string() +
                                "' && { " + line + "; } >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), readBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

} // namespace

TEST(Program, DispatchesHelpVersionAndCommands) {
    ScratchFolder folder;
    Outcome run = shell(folder, "\"$CLI\" --version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("vellum-cli ", 0), 0u);

    run = shell(folder, "\"$CLI\" --help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("compile"), std::string::npos);

    run = shell(folder, "\"$CLI\" compile --help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: vellum-cli compile", 0), 0u);

    run = shell(folder, "\"$CLI\"");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Usage"), std::string::npos);

    run = shell(folder, "\"$CLI\" transmogrify x");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown command"), std::string::npos);
}

TEST(Program, CompilesAndReportsARealWriteFailure) {
    ScratchFolder folder;
    writeBytes(folder / "a.txt", "AB");
    Outcome run = shell(folder, "SOURCE_DATE_EPOCH=0 \"$CLI\" compile a.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(folder / "a.85s").size(), 1u + 4 + 69); // 00 EF "AB"

    // No file may grow: every write fails with EFBIG, as on a full quota.
    // The messages go through a pipe, which the limit does not cover.
    run = shell(folder, "{ trap '' XFSZ; ulimit -f 0; \"$CLI\" compile a.txt -o b.85s; "
                        "echo \"exit $?\"; } 2>&1 | cat");
    EXPECT_EQ(run.out, "vellum-cli: a.txt: cannot write b.85s: File too large (error 27)\n"
                       "exit 1\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "b.85s"));
}

TEST(Program, NoFailureExitsZeroAndNoEmptyNameIsStored) {
    ScratchFolder folder;
    writeBytes(folder / "a.txt", "AB");
    writeBytes(folder / "e.vlm", "\r\nAB");
    writeBytes(folder / ".hidden.txt", "AB"); // its title ends before the first "."
    vellum::VariableEntry nameless{vellum::stringfile::kStringType, "",
                                   vellum::stringVariableData(vellum::buildStringData("AB"))};
    writeBytes(folder / "n.85s",
               vellum::layOutVariableFile(std::string(42, ' '), {nameless}).value());
    const char* untitled = "-: valid, string \"untitled\"";
    const struct {
        const char* line;
        int status;
        const char* out; // how standard output starts
        const char* err; // in the one line of standard error; none when empty
    } cases[] = {
        {"SOURCE_DATE_EPOCH=0 \"$CLI\" compile a.txt", 0, "", ""},
        {"\"$CLI\" compile -o '' a.txt", 2, "", "compile: the empty --output names no file"},
        {"\"$CLI\" compile --group= a.txt", 2, "", "compile: the empty --group names no file"},
        {"\"$CLI\" compile a.txt -- ''", 2, "", "compile: an empty input names no file"},
        {"\"$CLI\" --help >/dev/full", 1, "", "cannot write standard output: No space left"},
        {"\"$CLI\" --version >/dev/full", 1, "", "cannot write standard output: No space left"},
        {"\"$CLI\" check $(yes a.85s | head -400) >/dev/full", 1, "", "No space left on device"},
        {"\"$CLI\" check a.85s >&-", 1, "", "cannot write standard output: Bad file descriptor"},
        {"env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME=$PWD \"$CLI\" register -p \"$(printf "
         "'/V\\351/v')\"",
         1, "", "no desktop entry"},
        {"\"$CLI\" check - <a.85s", 0, "-: valid, string \"a\"", ""},
        {"head -c 60 a.85s | \"$CLI\" check -", 1, "-: invalid: the data-section length", ""},
        {"\"$CLI\" check - - <a.85s", 2, "", "standard input (-) can be read only once"},
        {"\"$CLI\" compile -o - e.vlm | \"$CLI\" check -", 0, untitled, ""},
        {"\"$CLI\" compile -o - .hidden.txt | \"$CLI\" check -", 0, untitled, ""},
        {"\"$CLI\" compile --name '' -o - a.txt | \"$CLI\" check -", 0, untitled, ""},
        {"\"$CLI\" compile --name= -g - a.txt | \"$CLI\" check -", 0, untitled, ""},
        {"\"$CLI\" check n.85s", 1, "n.85s: invalid: the variable name is empty", ""},
        {"\"$CLI\" decompile n.85s", 1, "", "damaged: the variable name is empty"},
        {"\"$CLI\" decompile --lenient -o - n.85s", 0, "AB\r\n", "warning: damaged"},
    };
    for (const auto& c : cases) {
        const Outcome run = shell(folder, c.line);
        EXPECT_EQ(run.status, c.status) << c.line << ": " << run.err;
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << c.line << ": " << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.line << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), *c.err ? run.err.size() - 1 : std::string::npos) << run.err;
    }
}
