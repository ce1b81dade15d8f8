// The text-document commands: Load, Save, Save As and the loader LoadText.

#include "commands/Messages.h"
#include "formats/TextDocument.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::readBytes;
using vellum::support::writeBytes;

using TextCommandTest = EditorFixture;

TEST_F(TextCommandTest, SaveWritesTheNameLineOnlyForVellumDocuments) {
    type("Hello");
    doc.VarName = "greet";
    dlgFile.choose(folder / "a.vlm");
    (void)editor.cmdSave_Click();
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.txt");
    (void)editor.cmdSaveAs_Click();
    EXPECT_EQ(readBytes(folder / "a.txt"), "Hello\r\n");

    ASSERT_EQ(dlgFile.shown.size(), 2u);
    for (const auto& shown : dlgFile.shown) {
        EXPECT_TRUE(shown.save);
        EXPECT_EQ(shown.settings.title, "Save Text");
        EXPECT_EQ(shown.settings.filter,
                  "'Vellum' Files (*.vlm)|*.vlm|Regular Text Files|*.txt|All Files|*.*");
        EXPECT_EQ(shown.settings.fileName, "");
    }
}

TEST_F(TextCommandTest, LoadOfAVellumDocument) {
    writeBytes(folder / "a.vlm", "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.vlm");
    (void)editor.cmdLoad_Click();
    ASSERT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_FALSE(dlgFile.shown[0].save);
    EXPECT_EQ(dlgFile.shown[0].settings.title, "Save Text");
    EXPECT_EQ(doc.VarName, "greet");
    EXPECT_EQ(doc.text(), "Hello");
    EXPECT_EQ(doc.DocTitle, "a");
    EXPECT_EQ(doc.DocPath, folder / "a.vlm");
    EXPECT_TRUE(doc.IsSaved);
    EXPECT_TRUE(doc.HasPath);
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_EQ(doc.lblSize(), "Data Size: 7");
}

TEST_F(TextCommandTest, LoadOfAPlainTextNamesTheVariableAfterTheTitle) {
    writeBytes(folder / "Notes.TXT", "Hello\r\n");
    dlgFile.choose(folder / "Notes.TXT");
    (void)editor.cmdLoad_Click();
    EXPECT_EQ(doc.VarName, "notes");
    EXPECT_EQ(doc.DocTitle, "notes");
    EXPECT_EQ(doc.text(), "Hello");
}

TEST_F(TextCommandTest, NameLinesAreTakenAsTheyAre) {
    writeBytes(folder / "long.vlm", "VeryLongName\r\ntext");
    ASSERT_TRUE(isDone(editor.LoadText(folder / "long.vlm", "long")));
    EXPECT_EQ(doc.VarName, "VeryLong");
    EXPECT_EQ(doc.nameBox(), "verylong");

    writeBytes(folder / "only.vlm", "onlyname");
    ASSERT_TRUE(isDone(editor.LoadText(folder / "only.vlm", "only")));
    EXPECT_EQ(doc.VarName, "onlyname");
    EXPECT_EQ(doc.text(), "");

    writeBytes(folder / "blank.vlm", "\r\nbody");
    ASSERT_TRUE(isDone(editor.LoadText(folder / "blank.vlm", "blank")));
    EXPECT_EQ(doc.VarName, "");
    EXPECT_EQ(doc.text(), "body");
}

TEST_F(TextCommandTest, SaveWithAPathAsksNothingAndKeepsTheTitle) {
    writeBytes(folder / "a.vlm", "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.vlm");
    (void)editor.cmdLoad_Click();
    doc.DocTitle = "kept";
    type("Changed");
    (void)editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nChanged\r\n");
    EXPECT_EQ(doc.DocTitle, "kept");
    EXPECT_TRUE(doc.IsSaved);
}

TEST_F(TextCommandTest, SaveAsMovesTheDocumentButNotItsBinding) {
    writeBytes(folder / "a.vlm", "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.vlm");
    (void)editor.cmdLoad_Click();
    dlgFile.choose(folder / "b.txt");
    (void)editor.cmdSaveAs_Click();
    EXPECT_EQ(readBytes(folder / "b.txt"), "Hello\r\n");
    EXPECT_EQ(doc.DocTitle, "b");
    EXPECT_TRUE(doc.HasPath);
    type("More");
    (void)editor.cmdSave_Click(); // no dialog: writes to b.txt
    EXPECT_EQ(dlgFile.shown.size(), 2u);
    EXPECT_EQ(readBytes(folder / "b.txt"), "More\r\n");
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nHello\r\n");

    // A document that was never bound stays unbound after Save As.
    doc.resetToNew();
    type("x");
    dlgFile.choose(folder / "c.txt");
    (void)editor.cmdSaveAs_Click();
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.DocPath, folder / "c.txt");
    dlgFile.cancel();
    (void)editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 4u);
}

TEST_F(TextCommandTest, CancelledDialogsChangeNothing) {
    type("work");
    const auto before = snapshot();
    boxes.answers = {Answer::No};
    for (auto command :
         {&Editor::cmdLoad_Click, &Editor::cmdSave_Click, &Editor::cmdSaveAs_Click}) {
        dlgFile.cancel();
        const CommandOutcome outcome = (editor.*command)();
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome.value(), Completion::Cancelled);
    }
    EXPECT_EQ(dlgFile.shown.size(), 3u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.errors.empty());
}

// A failed load must not leave the document bound to a file it does not hold.
TEST_F(TextCommandTest, FailedLoadsChangeNothing) {
    writeBytes(folder / "earlier.txt", "earlier\r\n");
    dlgFile.choose(folder / "earlier.txt");
    (void)editor.cmdLoad_Click();
    type("edited, not yet saved");
    doc.HasPath = false; // as after a string load: Save must ask
    const auto before = snapshot();

    writeBytes(folder / "empty.vlm", "");
    std::filesystem::create_directory(folder / "sub.txt");
    for (const char* name : {"missing.txt", "empty.vlm", "sub.txt"}) {
        boxes.answers = {Answer::No};
        dlgFile.choose(folder / name);
        EXPECT_FALSE(editor.cmdLoad_Click().ok()) << name;
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(boxes.errors.size(), 3u);

    // So Save still asks and the earlier file keeps its text.
    dlgFile.cancel();
    (void)editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 5u);
    EXPECT_EQ(readBytes(folder / "earlier.txt"), "earlier\r\n");
}

TEST_F(TextCommandTest, FailedSavesSayWhyAndChangeNothing) {
    type("work");
    const auto before = snapshot();
    std::filesystem::create_directory(folder / "dir.txt");
    const std::string missingFolder = folder / "no/such/folder/x.txt";
    dlgFile.choose(missingFolder);
    (void)editor.cmdSave_Click();
    dlgFile.choose(folder / "dir.txt");
    (void)editor.cmdSaveAs_Click();

    ASSERT_EQ(boxes.errors.size(), 2u);
    EXPECT_EQ(boxes.errors[0].title, "Error");
    EXPECT_EQ(boxes.errors[0].message,
              "Could not save " + missingFolder + ": No such file or directory");
    EXPECT_EQ(boxes.errors[1].message,
              "Could not save " + (folder / "dir.txt") + ": Is a directory");
    // Neither the title nor the binding moved to the file that was not written.
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(doc.HasPath);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.txt"));
}

// Save over the file the document came from, in every state that file can
// be in, with either answer: what is on disk and what the document says.
TEST_F(TextCommandTest, SaveAsksBeforeReplacingWhatItShouldNot) {
    namespace fs = std::filesystem;
    const std::string path = folder / "a.txt";
    const std::string other = folder / "b.txt";
    const auto loadThenType = [&](const std::string& file) {
        dlgFile.choose(path);
        writeBytes(path, file);
        ASSERT_TRUE(isDone(editor.cmdLoad_Click()));
        type("new");
    };
    const auto retype = [&] {
        type("newer");
        type("new");
    };
    const struct Case {
        const char* what;
        std::function<void()> setUp;
        bool changed;         // asks whether to replace a changed file
        std::size_t lost;     // asks whether to lose this many characters
        std::string keptOnNo; // the file after No
    } cases[] = {
        {"unchanged", [&] { loadThenType("old\r\n"); }, false, 0, ""},
        {"changed on disk",
         [&] {
             loadThenType("old\r\n");
             writeBytes(path, "theirs\r\n");
         },
         true, 0, "theirs\r\n"},
        {"touched, clock in the future",
         [&] {
             loadThenType("old\r\n");
             fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(24 * 365));
         },
         true, 0, "old\r\n"},
        {"replaced by another file",
         [&] {
             loadThenType("old\r\n");
             writeBytes(other, "old\r\n");
             fs::rename(other, path);
         },
         true, 0, "old\r\n"},
        {"removed",
         [&] {
             loadThenType("old\r\n");
             fs::remove(path);
         },
         false, 0, ""},
        {"lossy load", [&] { loadThenType("a \u2014 \u2713\r\n"); }, false, 2,
         "a \u2014 \u2713\r\n"},
        {"lossy load, changed on disk",
         [&] {
             loadThenType("\u2713\r\n");
             writeBytes(path, "\u2713\u2713\r\n");
         },
         true, 1, "\u2713\u2713\r\n"},
        {"lossy load after Yes",
         [&] {
             loadThenType("\u2713\r\n");
             boxes.answerYes(1);
             ASSERT_TRUE(isDone(editor.cmdSave_Click()));
             retype();
         },
         false, 0, ""},
        {"lossy load after Save As over it",
         [&] {
             loadThenType("\u2713\r\n");
             dlgFile.choose(path);
             ASSERT_TRUE(isDone(editor.cmdSaveAs_Click()));
             retype();
         },
         false, 0, ""},
    };
    for (const Case& c : cases) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (yes ? ", Yes" : ", No"));
            boxes = {};
            doc.resetToNew();
            c.setUp();
            boxes = {};
            boxes.answers.assign(2, yes ? Answer::Yes : Answer::No);
            const CommandOutcome outcome = editor.cmdSave_Click();

            std::vector<std::string> asked;
            for (const auto& box : boxes.yesNo) {
                EXPECT_EQ(box.title, "Question");
                asked.push_back(box.message);
            }
            std::vector<std::string> expected;
            if (c.changed) {
                expected.push_back(messages::changedOnDisk(path));
            }
            if (c.lost > 0 && (yes || !c.changed)) {
                expected.push_back(messages::charactersLost(path, c.lost));
            }
            EXPECT_EQ(asked, expected);
            const bool writes = yes || expected.empty();
            EXPECT_EQ(readBytes(path), writes ? "new\r\n" : c.keptOnNo);
            EXPECT_EQ(doc.IsSaved, writes);
            EXPECT_EQ(isDone(outcome), writes);
            // A lossy load is remembered until the text has been saved.
            EXPECT_EQ(editor.charactersLostBySave(), writes ? 0u : c.lost);
            EXPECT_TRUE(boxes.errors.empty());
        }
    }
}

// A folder, FIFO or link in the file's place is a change like any other: No
// leaves it alone; Yes over a folder says why nothing was written.
TEST_F(TextCommandTest, SaveOverWhatTookTheFilesPlaceAsksFirst) {
    namespace fs = std::filesystem;
    const std::string path = folder / "a.txt";
    std::vector<std::pair<const char*, std::function<void()>>> replacements = {
        {"folder", [&] { fs::create_directory(path); }},
    };
    if (support::kHasFifos) {
        replacements.emplace_back("FIFO", [&] { support::makeFifo(path); });
    }
    if (support::kHasSymbolicLinks) {
        replacements.emplace_back("link", [&] {
            writeBytes(folder / "other.txt", "other\r\n");
            fs::create_symlink(folder / "other.txt", path);
        });
    }
    for (const auto& [what, replace] : replacements) {
        SCOPED_TRACE(what);
        writeBytes(path, "old\r\n");
        ASSERT_TRUE(isDone(editor.LoadText(path, "a")));
        doc.HasPath = true;
        type("new");
        fs::remove(path);
        replace();
        const fs::file_status before = fs::symlink_status(path);
        boxes = {};
        const CommandOutcome outcome = editor.cmdSave_Click();
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome.value(), Completion::Cancelled);
        EXPECT_EQ(boxes.yesNo.size(), 1u);
        EXPECT_EQ(fs::symlink_status(path).type(), before.type());
        EXPECT_FALSE(doc.IsSaved);
        if (fs::is_directory(path)) {
            boxes.answerYes(1);
            EXPECT_FALSE(editor.cmdSave_Click().ok());
            EXPECT_EQ(boxes.errors.size(), 1u);
        }
        fs::remove(path);
    }
    if (support::kHasSymbolicLinks) { // the link's file
        EXPECT_EQ(readBytes(folder / "other.txt"), "other\r\n");
    }
}

// A lossy load is never lost through the unsaved-changes prompt either: No
// to the question stops New, Load and closing.
TEST_F(TextCommandTest, NoToALossySaveStopsTheCommandThatAsked) {
    const std::string path = folder / "a.txt";
    writeBytes(path, "\u2713\r\n");
    dlgFile.choose(path);
    ASSERT_TRUE(isDone(editor.cmdLoad_Click()));
    type("mine");
    for (auto command :
         {&Editor::cmdNew_Click, &Editor::cmdLoad_Click, &Editor::Form_QueryUnload}) {
        boxes.answers = {Answer::Yes, Answer::No};
        const CommandOutcome outcome = (editor.*command)();
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome.value(), Completion::Cancelled);
        EXPECT_EQ(doc.text(), "mine");
        EXPECT_EQ(readBytes(path), "\u2713\r\n");
    }
    EXPECT_EQ(dlgFile.shown.size(), 1u);
}

TEST(SizeMessages, TooLargeGivesExactByteCounts) {
    const struct {
        std::size_t size, limit;
        std::string numbers;
    } cases[] = {
        {2'097'653, 2'097'152,
         "has 2,097,653 bytes, and the editor takes texts of up to 2,097,152"},
        {1'001, 999, "has 1,001 bytes, and the editor takes texts of up to 999"},
        {100'000'000, 1'000'000,
         "has 100,000,000 bytes, and the editor takes texts of up to 1,000,000"},
    };
    for (const auto& c : cases) {
        const std::string message = messages::pasteTooLarge(c.size, c.limit);
        EXPECT_EQ(message, "The pasted text is too large for the editor: it " + c.numbers +
                               " bytes. A TI-85 string holds at most 32,767 bytes.");
    }
}
