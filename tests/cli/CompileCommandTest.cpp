// vellum-cli compile, run in-process.

#include "cli/Commands.h"
#include "formats/StringFile.h"

#include "tests/support/Environment.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/Tifiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>

using namespace vellum;
using vellum::support::expectTifilesReads;
using vellum::support::kEmptyVariables;
using vellum::support::readBytes;
using vellum::support::readTimeZone;
using vellum::support::ScopedEnvironment;
using vellum::support::ScratchFolder;
using vellum::support::setEnvironment;
using vellum::support::writeBytes;

namespace {

namespace fs = std::filesystem;

// 2026-12-06 22:15:30 UTC.
constexpr const char* kEpoch = "1796595330";
const Bytes kComment = "Created by Vellum on 22:15:30 12/06/26    ";

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

struct CompileCommandTest : ::testing::Test {
    ScratchFolder folder;

    void SetUp() override { setEnvironment("SOURCE_DATE_EPOCH", kEpoch); }
    void TearDown() override { setEnvironment("SOURCE_DATE_EPOCH", std::nullopt); }

    Outcome run(const cli::Args& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = cli::compile(args, {out, err});
        return {status, out.str(), err.str()};
    }

    std::string input(const std::string& name, const Bytes& bytes) {
        const std::string path = folder / name;
        writeBytes(path, bytes);
        return path;
    }
};

// The one line a failure prints, for the input it names.
void expectOneErrorLine(const Outcome& result, const std::string& input,
                        const std::string& reason) {
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("vellum-cli: " + input + ": ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
}

} // namespace

TEST_F(CompileCommandTest, TextFileGivesItsTitleAsTheName) {
    const std::string in = input("Notes.TXT", "Hello\r\nWorld");
    const Outcome result = run({in});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string out = folder / "Notes.85s";
    // Loaded as the editor loads it: every line ends in CR LF.
    expectTifilesReads(out, "notes", buildStringData("Hello\r\nWorld"));
    EXPECT_EQ(readBytes(out).substr(11, 42), kComment);
}

TEST_F(CompileCommandTest, VellumDocumentGivesItsFirstLineCutToEight) {
    const std::string in = input("story.VLM", "VeryLongName\r\nOnce upon\r\na time\r\n");
    ASSERT_EQ(run({in}).status, 0);
    expectTifilesReads(folder / "story.85s", "VeryLong", buildStringData("Once upon\r\na time"));
}

TEST_F(CompileCommandTest, NameOptionOverridesAndIsCutToEight) {
    const std::string in = input("a.txt", "x");
    const std::string out = folder / "a.85s";
    ASSERT_EQ(run({"--name", "Greeting99", in}).status, 0);
    expectTifilesReads(out, "Greeting", buildStringData("x"));
    ASSERT_EQ(run({"-nshort", in}).status, 0);
    expectTifilesReads(out, "short", buildStringData("x"));
    ASSERT_EQ(run({"--name=", in}).status, 0);
    expectTifilesReads(out, "untitled", buildStringData("x"));
    ASSERT_EQ(run({in, "--name", std::string(255, 'N')}).status, 0);
    expectTifilesReads(out, "NNNNNNNN", buildStringData("x"));
}

TEST_F(CompileCommandTest, SameInputGivesTheSameBytesAnywhere) {
    const std::string in = input("a.txt", "same");
    {
        ScopedEnvironment utc{{"TZ", "UTC"}};
        readTimeZone();
        ASSERT_EQ(run({in}).status, 0);
    }
    const std::string first = readBytes(folder / "a.85s");
    {
        ScopedEnvironment newYork{{"TZ", "America/New_York"}};
        readTimeZone();
        ASSERT_EQ(run({in}).status, 0);
    }
    readTimeZone();
    EXPECT_EQ(readBytes(folder / "a.85s"), first);
}

TEST_F(CompileCommandTest, OutputOptionNamesTheFileOrTheFolder) {
    const std::string a = input("a.txt", "A");
    fs::create_directory(folder.path() / "sub");
    const std::string b = input("sub/b.vlm", "bee\r\nB");
    ASSERT_EQ(run({"-o", folder / "x.85s", a}).status, 0);
    expectTifilesReads(folder / "x.85s", "a", buildStringData("A"));

    fs::create_directory(folder.path() / "out");
    ASSERT_EQ(run({a, b, "--output", folder / "out"}).status, 0);
    expectTifilesReads(folder / "out/a.85s", "a", buildStringData("A"));
    expectTifilesReads(folder / "out/b.85s", "bee", buildStringData("B"));

    // Several inputs need a folder that is there.
    const Outcome result = run({a, b, "-o", folder / "nowhere"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("not a folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

TEST_F(CompileCommandTest, TextPastTheLimitFailsAndKeepsTheOlderOutput) {
    // The closing line end is no text: T = 32,697, and with n = 1,
    // n + L = 32,700, two bytes too many; the refusal names both sizes.
    const std::string in = input("b.txt", Bytes(32697, 'z') + "\r\n");
    const std::string out = folder / "b.85s";
    writeBytes(out, "an older file");
    const Outcome result = run({in});
    expectOneErrorLine(result, in,
                       "The text is too long for a TI-85 string: its data size is 32,699 bytes, "
                       "and a string with this variable name takes at most 32,697. Nothing was "
                       "written.");
    EXPECT_EQ(readBytes(out), "an older file");

    // Two bytes less fit exactly.
    writeBytes(in, Bytes(32695, 'z') + "\r\n");
    ASSERT_EQ(run({in}).status, 0);
    EXPECT_EQ(fs::file_size(out), 32767u);
    expectTifilesReads(out, "b", buildStringData(Bytes(32695, 'z')));
}

TEST_F(CompileCommandTest, FailuresNameTheInputAndTheOthersStillCompile) {
    const std::string good = input("good.txt", "fine");
    const std::string missing = folder / "missing.txt";
    Outcome result = run({missing, good});
    expectOneErrorLine(result, missing, "No such file or directory");
    EXPECT_TRUE(fs::exists(folder / "good.85s"));

    const std::string unwritable = folder / "no/such/folder/x.85s";
    result = run({"-o", unwritable, good});
    expectOneErrorLine(result, good,
                       "cannot write " + unwritable + ": No such file or directory (error 2)");
    EXPECT_FALSE(fs::exists(unwritable));
}

TEST_F(CompileCommandTest, RefusesWhatWouldLoseData) {
    // The output would be the input itself.
    const std::string in = input("keep.85s", "precious");
    expectOneErrorLine(run({in}), in, "is the input itself");
    EXPECT_EQ(readBytes(in), "precious");

    // Two inputs with the same output.
    fs::create_directories(folder.path() / "p");
    fs::create_directories(folder.path() / "q");
    fs::create_directories(folder.path() / "out");
    const std::string first = input("p/same.txt", "1");
    const std::string second = input("q/same.txt", "2");
    const Outcome result = run({first, second, "-o", folder / "out"});
    expectOneErrorLine(result, second, "also the output of an earlier input");
    expectTifilesReads(folder / "out/same.85s", "same", buildStringData("1"));

    // The input itself after an output that existed, which is looked at first.
    const std::string inOut = input("out/keep.85s", "precious");
    expectOneErrorLine(run({first, inOut, "-o", folder / "out"}), inOut, "is the input itself");
    EXPECT_EQ(readBytes(inOut), "precious");
}

// Two outputs that are one file through a link, in either order; the link's
// file may exist already or not yet.
TEST_F(CompileCommandTest, RefusesTwoOutputsThatAreOneFileThroughALink) {
    if (!vellum::support::kHasSymbolicLinks) {
        GTEST_SKIP() << "needs symbolic links, which Windows lacks";
    }
    for (const char* sub : {"p", "r", "out"}) {
        fs::create_directories(folder.path() / sub);
    }
    const std::string first = input("p/same.txt", "1");
    const std::string alias = input("r/alias.txt", "3");
    fs::create_symlink("same.85s", folder.path() / "out/alias.85s");
    for (const bool linkFirst : {true, false}) {
        fs::remove(folder.path() / "out/same.85s");
        const std::string later = linkFirst ? first : alias;
        const Outcome linked = run({linkFirst ? alias : first, later, "-o", folder / "out"});
        expectOneErrorLine(linked, later, "also the output of an earlier input");
        expectTifilesReads(folder / "out/same.85s", linkFirst ? "alias" : "same",
                           buildStringData(linkFirst ? "3" : "1"));
    }
}

// A batch long enough to be compiled by several threads says its failures
// in the inputs' order and writes every other output, whichever thread got
// there first.
TEST_F(CompileCommandTest, ABatchReportsInTheInputsOrder) {
    for (const char* sub : {"in", "q", "r", "out"}) {
        fs::create_directories(folder.path() / sub);
    }
    std::vector<std::string> inputs;
    for (int i = 0; i < 100; ++i) {
        inputs.push_back(input("in/s" + std::to_string(i) + ".txt", "string " + std::to_string(i)));
    }
    struct Fault {
        std::size_t at;
        std::string input; // what stands at that place instead
        std::string reason;
    };
    std::vector<Fault> faults = {
        {7, folder / "in/gone.txt", "No such file or directory"},
        {20, input("q/s5.txt", "again"), "also the output of an earlier input"},
        {50, input("out/keep.85s", "precious"), "is the input itself"},
        {70, input("in/long.txt", Bytes(40000, 'z')), "too long for a TI-85 string"},
        {90, input("in/place.txt", "x"), "cannot write"},
    };
    fs::create_directories(folder.path() / "out/place.85s"); // a folder where the file goes
    if (vellum::support::kHasSymbolicLinks) {
        // Input 40 writes out/s40.85s, which input 33 took through a link.
        fs::create_symlink("s40.85s", folder.path() / "out/alias.85s");
        faults.insert(faults.begin() + 2, {33, input("r/alias.txt", "3"), ""});
        faults.insert(faults.begin() + 3, {40, inputs[40], "also the output of an earlier input"});
    }
    for (const Fault& fault : faults) {
        inputs[fault.at] = fault.input;
    }
    cli::Args args = inputs;
    args.insert(args.end(), {"-o", folder / "out"});

    const Outcome result = run(args);

    EXPECT_EQ(result.status, 1);
    std::istringstream lines(result.err);
    std::string line;
    for (const Fault& fault : faults) {
        if (fault.reason.empty()) {
            continue;
        }
        ASSERT_TRUE(std::getline(lines, line)) << result.err;
        EXPECT_EQ(line.rfind("vellum-cli: " + fault.input + ": ", 0), 0u) << line;
        EXPECT_NE(line.find(fault.reason), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << result.err;
    for (int i = 0; i < 100; ++i) {
        const bool throughLink = vellum::support::kHasSymbolicLinks && i == 33;
        const bool faulty = std::any_of(faults.begin(), faults.end(),
                                        [i](const Fault& f) { return f.at == std::size_t(i); });
        if (faulty && !throughLink) {
            continue;
        }
        const std::string name = throughLink ? "alias" : "s" + std::to_string(i);
        expectTifilesReads(folder / ("out/" + name + ".85s"), name,
                           buildStringData(throughLink ? "3" : "string " + std::to_string(i)));
    }
    EXPECT_EQ(readBytes(folder / "out/keep.85s"), "precious");
}

TEST_F(CompileCommandTest, AFileNameWithoutDotIsTheNameWhole) {
    const std::string in = input("README", "text");
    const Outcome result = run({in});
    ASSERT_EQ(result.status, 0) << result.err;
    expectTifilesReads(folder / "README.85s", "readme", buildStringData("text"));
}

TEST_F(CompileCommandTest, BadSourceDateEpochIsAFailure) {
    const std::string in = input("a.txt", "x");
    for (const char* value : {"", "-5", "12abc", "1e9", "99999999999999999999"}) {
        if (*value == '\0' && !kEmptyVariables) {
            continue; // setting it empty removes it
        }
        setEnvironment("SOURCE_DATE_EPOCH", value);
        const Outcome result = run({in});
        EXPECT_EQ(result.status, 1) << value;
        EXPECT_NE(result.err.find("SOURCE_DATE_EPOCH"), std::string::npos) << value;
    }
    EXPECT_FALSE(fs::exists(folder / "a.85s"));
}

TEST_F(CompileCommandTest, BadUsageExitsWithTwo) {
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--frobnicate", "a.txt"}).status, 2);
    EXPECT_EQ(run({"a.txt", "--name"}).status, 2);
    EXPECT_EQ(run({"a.txt", "-o"}).status, 2);
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vellum-cli compile", 0), 0u);
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(CompileCommandTest, DoubleDashEndsTheOptions) {
    input("-n.txt", "dash");
    const fs::path cwd = fs::current_path();
    fs::current_path(folder.path());
    const Outcome result = run({"--", "-n.txt"});
    fs::current_path(cwd);
    ASSERT_EQ(result.status, 0) << result.err;
    expectTifilesReads(folder / "-n.85s", "-n", buildStringData("dash"));
}

TEST_F(CompileCommandTest, EncodingOptionSaysHowTheInputIsRead) {
    const Bytes utf8 = "\xCE\xB8\xE2\x82\xAC\n"; // θ€ and an LF
    const struct {
        std::vector<std::string> options;
        Bytes file;
        Bytes data;
        std::string note;
    } cases[] = {
        {{}, utf8, "\xC1?", "1 character has no"},
        {{"--encoding=UTF-8"}, "\xE9\xE2\x82\xAC\xE2\x82\xAC", "???", "3 characters have no"},
        {{"-e", "ti85"}, utf8, "\xCE\xB8\xE2\x82\xAC", ""},
    };
    for (const auto& c : cases) {
        const std::string in = input("e.txt", c.file);
        cli::Args args = c.options;
        args.push_back(in);
        const Outcome result = run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        expectTifilesReads(folder / "e.85s", "e", buildStringData(c.data));
        EXPECT_EQ(result.err.empty(), c.note.empty()) << result.err;
        EXPECT_NE(result.err.find(c.note), std::string::npos) << result.err;
    }
    EXPECT_EQ(run({"--encoding", "latin-1", input("e.txt", "x")}).status, 2);
}
