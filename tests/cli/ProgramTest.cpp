// vellum-cli as a user runs it: the dispatcher, and a real write failure.

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#ifndef _WIN32
#include <sys/wait.h>
#endif

using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

#ifdef _WIN32
// Windows has no POSIX shell; tests/windows runs vellum-cli.exe itself.
#define SKIP_WITHOUT_POSIX_SHELL() GTEST_SKIP() << "needs a POSIX shell, which Windows lacks"
Outcome shell(const ScratchFolder&, const std::string&) {
    return {};
}
#else
#define SKIP_WITHOUT_POSIX_SHELL() static_cast<void>(0)
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
#endif

} // namespace

TEST(Program, DispatchesHelpVersionAndCommands) {
    SKIP_WITHOUT_POSIX_SHELL();
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
    SKIP_WITHOUT_POSIX_SHELL();
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
