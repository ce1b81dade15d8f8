// What the commands make of the file the user chose: a name without "." and a
// file that cannot be read.

#include "tests/support/EditorFixture.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::writeBytes;

namespace {

using ChosenFilesTest = support::EditorFixture;

using CommandFn = CommandOutcome (Editor::*)();

// A name typed without an extension is used as it is: the title is the whole
// name, lower-cased, and the command goes on.
TEST_F(ChosenFilesTest, ANameWithoutADotIsUsedWhole) {
    const struct {
        const char* command;
        CommandFn run;
        std::string onDisk; // what the file holds before (loads) or after (saves)
        Bytes text;         // the document's text afterwards
    } cases[] = {
        {"Load", &Editor::cmdLoad_Click, "from file\r\n", "from file"},
        {"Load .85s", &Editor::cmdLoadS_Click, support::scrollet("s", "loaded"), "loaded"},
        {"Save", &Editor::cmdSave_Click, "typed\r\n", "typed"},
        {"Save As", &Editor::cmdSaveAs_Click, "typed\r\n", "typed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        doc.resetToNew();
        type("typed");
        const bool load = c.text != "typed";
        const std::string path = folder / "Notes";
        std::filesystem::remove(path);
        if (load) {
            writeBytes(path, c.onDisk);
            boxes.answers = {Answer::No};
        }
        dlgFile.choose(path);
        EXPECT_TRUE(isDone((editor.*c.run)()));
        EXPECT_EQ(doc.DocTitle, "notes");
        EXPECT_EQ(doc.lblFileName(), "notes");
        EXPECT_EQ(doc.text(), c.text);
        EXPECT_EQ(readBytes(path), c.onDisk);
        EXPECT_TRUE(boxes.errors.empty());
    }
}

// Whichever command meets a file it cannot read names the file and the reason
// in an error box, and changes nothing.
TEST_F(ChosenFilesTest, AFileThatCannotBeReadIsNamedWithTheReason) {
    std::filesystem::create_directory(folder / "folder.vlm");
    writeBytes(folder / "empty.vlm", "");
    // Windows has no FIFOs, and no file mode that keeps its owner from reading;
    // root reads every file.
    if (support::kHasFifos) {
        support::makeFifo(folder / "fifo.txt"); // opening it would block
    }
    const bool lockable = support::modesKeepThisProcessOut();
    if (lockable) {
        writeBytes(folder / "locked.txt", "secret\r\n");
        std::filesystem::permissions(folder / "locked.txt", std::filesystem::perms::none);
    }
    const auto untestable = [lockable](const std::string& name) {
        return (name == "fifo.txt" && !support::kHasFifos) || (name == "locked.txt" && !lockable);
    };
    const struct {
        const char* command;
        CommandFn run;
        const char* name;
        const char* reason;
    } cases[] = {
        {"Load", &Editor::cmdLoad_Click, "missing.txt", "No such file or directory"},
        {"Load", &Editor::cmdLoad_Click, "folder.vlm", "not a regular file (a folder)"},
        {"Load", &Editor::cmdLoad_Click, "fifo.txt", "not a regular file (a FIFO)"},
        {"Load", &Editor::cmdLoad_Click, "empty.vlm", "no name line"},
        {"Load", &Editor::cmdLoad_Click, "locked.txt", "Permission denied"},
        {"Load .85s", &Editor::cmdLoadS_Click, "folder.vlm", "not a regular file (a folder)"},
        {"Load .85s", &Editor::cmdLoadS_Click, "fifo.txt", "not a regular file (a FIFO)"},
        {"Load .85s", &Editor::cmdLoadS_Click, "locked.txt", "Permission denied"},
    };
    type("keep");
    const auto before = snapshot();
    for (const auto& c : cases) {
        if (untestable(c.name)) {
            continue;
        }
        SCOPED_TRACE(std::string(c.command) + " " + c.name);
        boxes.errors.clear();
        boxes.answers = {Answer::No};
        const std::string path = folder / c.name;
        dlgFile.choose(path);
        const CommandOutcome outcome = (editor.*c.run)();
        ASSERT_FALSE(outcome.ok());
        ASSERT_EQ(boxes.errors.size(), 1u);
        EXPECT_EQ(boxes.errors[0].title, "Error");
        EXPECT_NE(boxes.errors[0].message.find(path), std::string::npos) << boxes.errors[0].message;
        EXPECT_NE(boxes.errors[0].message.find(c.reason), std::string::npos)
            << boxes.errors[0].message;
        EXPECT_EQ(snapshot(), before);
    }
}

} // namespace
