#include "shell/Startup.h"

#include "commands/Editor.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"
#include "tests/support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace vellum {
namespace {

using support::ScratchFolder;

// Everything start-up does goes into one log, so that the order shows.
struct Recorder final : Registry {
    std::vector<std::string> log;
    bool registryWorks = true;

    bool SaveRegString(RegistryRoot, std::string_view keyPath, std::string_view,
                       std::string_view value) override {
        log.push_back("reg " + std::string(keyPath) + " = " + std::string(value));
        return registryWorks;
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
            return CommandOutcome(Completion::Done);
        };
        s.loadString = [this](const std::string& path, const Bytes& title) {
            log.push_back("string " + path + " " + title);
            return CommandOutcome(Completion::Done);
        };
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
    const std::string spaced = "/notes/My Notes.vlm";
    const std::string text = "/notes/readme.TXT";
    const std::string str = "/calc/prog.85s";

    Recorder a;
    Form_Load(a.steps(spaced));
    EXPECT_EQ(a.log, firstStepsThen({"text " + spaced + " Untitled"}));

    Recorder b;
    Form_Load(b.steps(text));
    EXPECT_EQ(b.log, firstStepsThen({"text " + text + " Untitled"}));

    Recorder c;
    Form_Load(c.steps(str));
    EXPECT_EQ(c.log, firstStepsThen({"string " + str + " untitled"}));

    // Two paths are one path.
    Recorder d;
    Form_Load(d.steps(text + " " + str));
    EXPECT_EQ(d.log, firstStepsThen({"string " + text + " " + str + " untitled"}));
}

TEST(FormLoad, CommandLinesThatMatchNoEndingOpenAndSayNothing) {
    for (const std::string& line :
         {std::string("TXT"), std::string("\"/a.vlm\""), std::string("/a.vlm ")}) {
        Recorder r;
        Form_Load(r.steps(line));
        EXPECT_EQ(r.log, kFirstSteps) << line;
    }
}

// Through the editor's own loaders: a file they cannot open is shown by the
// loader, and the editor goes on with the empty document.
TEST(FormLoad, AFileTheLoaderCannotOpenIsShownAndTheEmptyDocumentStays) {
    ScratchFolder dir;
    struct Case {
        std::string path;
        const char* message;
    };
    std::vector<Case> cases = {
        {dir / "missing.vlm", "No such file or directory"},
        {dir / "missing.85s", "Not a valid 'Scrollet' String."},
    };
    if (support::kHasFifos) {
        support::makeFifo(dir / "fifo.vlm"); // opening it would block
        cases.push_back({dir / "fifo.vlm", "not a regular file (a FIFO)"});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        support::ScriptedBoxes boxes;
        Document doc;
        Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
        StartupSteps steps = editorSteps(editor);
        steps.commandLine = c.path;
        Form_Load(steps);
        ASSERT_EQ(boxes.errors.size(), 1u);
        EXPECT_EQ(boxes.errors[0].title, "Error");
        EXPECT_NE(boxes.errors[0].message.find(c.message), std::string::npos)
            << boxes.errors[0].message;
        EXPECT_EQ(doc.text(), "");
        EXPECT_EQ(doc.lblFileName(), "Untitled");
        EXPECT_TRUE(doc.IsSaved);
    }
}

} // namespace
} // namespace vellum
