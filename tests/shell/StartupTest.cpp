#include "shell/Startup.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace vellum {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;
using testing::writeFile;

// Everything start-up does goes into one log, so that the order shows.
struct Recorder final : Registry, MessageBoxes {
    std::vector<std::string> log;
    LoadResult loadResult{LoadResult::Status::Loaded, {}};
    bool registryWorks = true;

    bool SaveRegString(RegistryRoot, std::string_view keyPath, std::string_view,
                       std::string_view value) override {
        log.push_back("reg " + std::string(keyPath) + " = " + std::string(value));
        return registryWorks;
    }
    Answer askYesNoCancel(const std::string&, const std::string&) override {
        return Answer::Cancel;
    }
    bool askYesNoCritical(const std::string&, const std::string&) override { return false; }
    void showError(const std::string& message, const std::string& title) override {
        log.push_back("box " + title + ": " + message);
    }

    StartupSteps steps(const std::string& commandLine) {
        StartupSteps s;
        s.newDocument = [this] { log.push_back("new"); };
        s.registry = this;
        s.program = ProgramLocation{"/opt/vellum", "vellum", '/'};
        s.associateDesktop = [this](const ProgramLocation& program,
                                    const AssociationEntries& entries) {
            log.push_back("desktop " + program.path() + " " + entries[0].data);
        };
        s.loadText = [this](const std::string& path, const Bytes& title) {
            log.push_back("text " + path + " " + title);
            return loadResult;
        };
        s.loadString = [this](const std::string& path, const Bytes& title) {
            log.push_back("string " + path + " " + title);
            return loadResult;
        };
        s.boxes = this;
        s.commandLine = commandLine;
        return s;
    }
};

const std::vector<std::string> kFirstSteps = {
    "new",
    "reg .vlm = Vellum File",
    "reg .vlm\\DefaultIcon = /opt/vellum/vellum,1",
    "reg .vlm\\Shell\\Open = Edit",
    "reg .vlm\\Shell\\Open\\Command = /opt/vellum/vellum %1",
    "desktop /opt/vellum/vellum Vellum File",
};

std::vector<std::string> firstStepsThen(std::vector<std::string> rest) {
    std::vector<std::string> all = kFirstSteps;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

TEST(FormLoad, NewThenTheFourEntriesThenTheDesktopAndNothingElseWithoutACommandLine) {
    Recorder r;
    Form_Load(r.steps(""));
    EXPECT_EQ(r.log, kFirstSteps);

    // A refusing registry changes nothing about what follows.
    Recorder refused;
    refused.registryWorks = false;
    Form_Load(refused.steps(""));
    EXPECT_EQ(refused.log, kFirstSteps);
}

TEST(FormLoad, OpensTheWholeCommandLineWithTheLoaderItsEndingChooses) {
    TempDir dir;
    const std::string spaced = (dir / "My Notes.vlm").string();
    const std::string text = (dir / "readme.TXT").string();
    const std::string str = (dir / "prog.85s").string();
    for (const auto& file : {spaced, text, str}) {
        writeFile(file, "x\r\n");
    }

    Recorder a;
    Form_Load(a.steps(spaced));
    EXPECT_EQ(a.log, firstStepsThen({"text " + spaced + " Untitled"}));

    Recorder b;
    Form_Load(b.steps(text));
    EXPECT_EQ(b.log, firstStepsThen({"text " + text + " Untitled"}));

    Recorder c;
    Form_Load(c.steps(str));
    EXPECT_EQ(c.log, firstStepsThen({"string " + str + " untitled"}));

    // Two paths are one path, and it names no file.
    Recorder d;
    Form_Load(d.steps(text + " " + str));
    ASSERT_EQ(d.log.size(), kFirstSteps.size() + 1);
    EXPECT_THAT(d.log.back(), HasSubstr("box Error: Cannot open \"" + text + " " + str + "\""));
}

TEST(FormLoad, CommandLinesThatMatchNoEndingOpenAndSayNothing) {
    TempDir dir;
    writeFile(dir / "a.vlm", "x\r\n");
    for (const std::string& line : {std::string("TXT"), "\"" + (dir / "a.vlm").string() + "\"",
                                    (dir / "a.vlm").string() + " "}) {
        Recorder r;
        Form_Load(r.steps(line));
        EXPECT_EQ(r.log, kFirstSteps) << line;
    }
}

TEST(FormLoad, AFileThatCannotBeReadIsNamedInAnErrorBoxAndNothingIsLoaded) {
    TempDir dir;
    std::filesystem::create_directories(dir / "folder.vlm");
    ASSERT_EQ(::mkfifo((dir / "fifo.vlm").c_str(), 0600), 0); // opening it would block
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {(dir / "missing.vlm").string(), "No such file or directory"},
        {(dir / "missing.85s").string(), "No such file or directory"},
        {(dir / "folder.vlm").string(), "not a regular file (a folder)"},
        {(dir / "fifo.vlm").string(), "not a regular file (a FIFO)"},
        {(dir / "no/such/folder/a.txt").string(), "No such file or directory"},
    };
    for (const auto& c : cases) {
        Recorder r;
        Form_Load(r.steps(c.path));
        EXPECT_EQ(r.log,
                  firstStepsThen({"box Error: Cannot open \"" + c.path + "\":\n" + c.reason}));
    }
}

TEST(FormLoad, ALoaderFailureIsReportedAndTheEditorGoesOnWithANewDocument) {
    TempDir dir;
    const std::string empty = (dir / "empty.vlm").string();
    writeFile(empty, "");

    Recorder failed;
    failed.loadResult = {LoadResult::Status::Failed, "The document has no name line."};
    Form_Load(failed.steps(empty));
    EXPECT_EQ(failed.log, firstStepsThen({"text " + empty + " Untitled",
                                          "box Error: Cannot open \"" + empty +
                                              "\":\nThe document has no name line.",
                                          "new"}));

    // A refusal was already shown by the loader itself.
    Recorder refused;
    refused.loadResult = {LoadResult::Status::Refused, {}};
    const std::string str = (dir / "bad.85s").string();
    writeFile(str, "not a string file");
    Form_Load(refused.steps(str));
    EXPECT_EQ(refused.log, firstStepsThen({"string " + str + " untitled"}));
}

TEST(UnreadableReason, EmptyForAReadableFile) {
    TempDir dir;
    writeFile(dir / "a.txt", "");
    EXPECT_EQ(unreadableReason((dir / "a.txt").string()), "");
    EXPECT_EQ(unreadableReason((dir / "nope.txt").string()), "No such file or directory");
    // Below a file rather than a folder.
    EXPECT_EQ(unreadableReason((dir / "a.txt/b.txt").string()), "Not a directory");
    // Root reads every file, so this one only shows for an ordinary user.
    if (geteuid() != 0) {
        writeFile(dir / "locked.txt", "x");
        std::filesystem::permissions(dir / "locked.txt", std::filesystem::perms::none);
        EXPECT_EQ(unreadableReason((dir / "locked.txt").string()), "Permission denied");
    }
}

} // namespace
} // namespace vellum
