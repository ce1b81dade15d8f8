// The text-document commands: Load, Save, Save As and the loader LoadText.

#include "commands/Messages.h"
#include "formats/TextDocument.h"
#include "io/Files.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    EXPECT_EQ(doc.text(), "Hello\r\n");
    EXPECT_EQ(doc.DocTitle, "a");
    EXPECT_EQ(doc.DocPath, folder / "a.vlm");
    EXPECT_TRUE(doc.IsSaved);
    EXPECT_TRUE(doc.HasPath);
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_EQ(doc.lblSize(), "Data Size: 8");
}

TEST_F(TextCommandTest, LoadOfAPlainTextNamesTheVariableAfterTheTitle) {
    writeBytes(folder / "Notes.TXT", "Hello\r\n");
    dlgFile.choose(folder / "Notes.TXT");
    (void)editor.cmdLoad_Click();
    EXPECT_EQ(doc.VarName, "notes");
    EXPECT_EQ(doc.DocTitle, "notes");
    EXPECT_EQ(doc.text(), "Hello\r\n");
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
    EXPECT_EQ(doc.text(), "body\r\n");
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

TEST_F(TextCommandTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file-size limit (setrlimit), which Windows lacks";
#else
    using vellum::support::FileSizeLimit;
    const std::string path = folder / "story.txt";
    writeBytes(path, "the old story\r\n");
    dlgFile.choose(path);
    (void)editor.cmdLoad_Click();
    type(std::string(4096, 'x'));
    const auto before = snapshot();
    {
        FileSizeLimit limit(1000);
        (void)editor.cmdSave_Click();
    }
    EXPECT_EQ(readBytes(path), "the old story\r\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"story.txt"});
    // The failure is shown, and the document still counts as unsaved.
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0].title, "Error");
    EXPECT_NE(boxes.errors[0].message.find(path), std::string::npos);
    EXPECT_NE(boxes.errors[0].message.find("too large"), std::string::npos)
        << boxes.errors[0].message;
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_FALSE(doc.IsSaved);
#endif
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

TEST_F(TextCommandTest, ReplacingAFileKeepsItsPermissionsAndFollowsLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX modes and symbolic links; tests/windows keeps the read-only flag";
#else
    const std::string path = folder / "private.txt";
    writeBytes(path, "old\r\n");
    ::chmod(path.c_str(), 0640);
    std::filesystem::create_symlink(path, folder / "link.txt");

    ASSERT_TRUE(io::replaceFile(path, "new\r\n").ok());
    EXPECT_EQ(readBytes(path), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_TRUE(io::replaceFile((folder / "link.txt"), "via link\r\n").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.txt"));
    EXPECT_EQ(readBytes(path), "via link\r\n");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif
}

// Saving what was loaded gives the same file: Save adds a line end only when
// the text lacks one.
TEST_F(TextCommandTest, SaveLoadSaveGivesTheSameFile) {
    for (const Bytes& text :
         {Bytes(""), Bytes("Hello"), Bytes("two\r\nlines\r\n"), Bytes("a\nb")}) {
        doc.resetToNew();
        type(text);
        doc.VarName = "cycle";
        const std::string path = folder / "cycle.vlm";
        dlgFile.choose(path);
        (void)editor.cmdSave_Click();
        const std::string first = readBytes(path);
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(isDone(editor.LoadText(path, "cycle")));
            (void)editor.cmdSave_Click();
            EXPECT_EQ(readBytes(path), first) << ::testing::PrintToString(text);
        }
    }
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
