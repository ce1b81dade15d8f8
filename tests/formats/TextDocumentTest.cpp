#include "formats/TextDocument.h"
#include "io/Files.h"

#include "ReaderFakes.h"
#include "tests/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vellum;
using vellum::testing::EditorFixture;
using vellum::testing::readBytes;
using vellum::testing::writeBytes;

namespace {

std::vector<std::string> lines(std::string_view bytes) {
    std::vector<std::string> out;
    for (const std::string_view line : splitLines(bytes)) {
        out.emplace_back(line);
    }
    return out;
}

using Lines = std::vector<std::string>;

bool hasLoneCr(const Bytes& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(TextDocumentFormat, LinesEndAtCrLfOrALoneCrButNotAtALoneLf) {
    EXPECT_EQ(lines(""), Lines{});
    EXPECT_EQ(lines("\r\n"), Lines{""});
    EXPECT_EQ(lines("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\nb\n"), Lines{"a\nb\n"});
    EXPECT_EQ(lines("\r\r\n\n\r"), (Lines{"", "", "\n"}));
    EXPECT_EQ(lines("\n\r\n"), Lines{"\n"});
}

TEST(TextDocumentFormat, VellumPathsAreJudgedByTheirLastThreeCharacters) {
    EXPECT_TRUE(isVellumPath("/home/u/notes.vlm"));
    EXPECT_TRUE(isVellumPath("NOTES.VLM"));
    EXPECT_TRUE(isVellumPath("/tmp/myvlm"));
    EXPECT_TRUE(isVellumPath("vLm"));
    EXPECT_FALSE(isVellumPath("notes.vlm.txt"));
    EXPECT_FALSE(isVellumPath("lm"));
    EXPECT_FALSE(isVellumPath("notes.vl"));
}

TEST(TextDocumentFormat, ParsingAppendsCrLfToEveryLine) {
    const auto plain = parseTextDocument("Hello\r\nworld", false);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->name);
    EXPECT_EQ(plain->text, "Hello\r\nworld\r\n");
    // LF-only line ends: one line, the whole file.
    EXPECT_EQ(parseTextDocument("a\nb\n", false)->text, "a\nb\n\r\n");
    const auto vellum = parseTextDocument("a\nb\n", true);
    EXPECT_EQ(vellum->name, "a\nb\n");
    EXPECT_EQ(vellum->text, "");
    // A lone CR comes back as CR LF.
    EXPECT_EQ(parseTextDocument("x\ry", false)->text, "x\r\ny\r\n");
    EXPECT_EQ(parseTextDocument("", false)->text, "");
    EXPECT_FALSE(parseTextDocument("", true));
    EXPECT_EQ(parseTextDocument("\r\n", true)->name, "");
}

TEST(TextDocumentFormat, SavedBytes) {
    EXPECT_EQ(formatTextDocument("greet", "Hello", true), "greet\r\nHello\r\n");
    EXPECT_EQ(formatTextDocument("greet", "Hello", false), "Hello\r\n");
    EXPECT_EQ(formatTextDocument("", "", true), "\r\n\r\n");
    // The closing CR LF is not doubled.
    EXPECT_EQ(formatTextDocument("g", "Hello\r\n", true), "g\r\nHello\r\n");
    EXPECT_EQ(formatTextDocument("g", "Hello\r", false), "Hello\r\r\n");
    EXPECT_EQ(formatTextDocument("g", "Hello\n", false), "Hello\n\r\n");
}

TEST(TextDocumentFormat, FormatThenParseIsAFixedPointAfterOneRound) {
    // Every mix of CR, LF and a letter up to five bytes: after one save and
    // load the text no longer changes (lone CRs have become line ends).
    const char alphabet[] = {'\r', '\n', 'a'};
    for (int size = 0; size <= 5; ++size) {
        int combinations = 1;
        for (int i = 0; i < size; ++i) {
            combinations *= 3;
        }
        for (int code = 0; code < combinations; ++code) {
            Bytes text;
            for (int i = 0, c = code; i < size; ++i, c /= 3) {
                text += alphabet[c % 3];
            }
            for (const bool vellum : {false, true}) {
                const Bytes once =
                    parseTextDocument(formatTextDocument("n", text, vellum), vellum)->text;
                const Bytes file = formatTextDocument("n", once, vellum);
                const auto again = parseTextDocument(file, vellum);
                EXPECT_EQ(again->text, once) << ::testing::PrintToString(text);
                EXPECT_EQ(formatTextDocument("n", again->text, vellum), file);
                if (!hasLoneCr(text)) {
                    // Without lone CRs the first load already gives the text back
                    // (plus the line end Save adds when it is missing).
                    EXPECT_EQ(once, text.ends_with("\r\n") ? text : text + "\r\n");
                }
            }
        }
    }
}

namespace {

struct TextCommandTest : EditorFixture {
    void type(const Bytes& text) { doc.setText(text); }
};

} // namespace

TEST_F(TextCommandTest, SaveWritesTheNameLineOnlyForVellumDocuments) {
    type("Hello");
    doc.VarName = "greet";
    dlgFile.choose(folder / "a.vlm");
    editor.cmdSave_Click();
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.txt");
    editor.cmdSaveAs_Click();
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
    editor.cmdLoad_Click();
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
    editor.cmdLoad_Click();
    EXPECT_EQ(doc.VarName, "notes");
    EXPECT_EQ(doc.DocTitle, "notes");
    EXPECT_EQ(doc.text(), "Hello\r\n");
}

TEST_F(TextCommandTest, NameLinesAreTakenAsTheyAre) {
    writeBytes(folder / "long.vlm", "VeryLongName\r\ntext");
    ASSERT_TRUE(editor.LoadText(folder / "long.vlm", "long").ok());
    EXPECT_EQ(doc.VarName, "VeryLong");
    EXPECT_EQ(doc.nameBox(), "verylong");

    writeBytes(folder / "only.vlm", "onlyname");
    ASSERT_TRUE(editor.LoadText(folder / "only.vlm", "only").ok());
    EXPECT_EQ(doc.VarName, "onlyname");
    EXPECT_EQ(doc.text(), "");

    writeBytes(folder / "blank.vlm", "\r\nbody");
    ASSERT_TRUE(editor.LoadText(folder / "blank.vlm", "blank").ok());
    EXPECT_EQ(doc.VarName, "");
    EXPECT_EQ(doc.text(), "body\r\n");
}

TEST_F(TextCommandTest, SaveWithAPathAsksNothingAndKeepsTheTitle) {
    writeBytes(folder / "a.vlm", "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.vlm");
    editor.cmdLoad_Click();
    doc.DocTitle = "kept";
    type("Changed");
    editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nChanged\r\n");
    EXPECT_EQ(doc.DocTitle, "kept");
    EXPECT_TRUE(doc.IsSaved);
}

TEST_F(TextCommandTest, SaveAsMovesTheDocumentButNotItsBinding) {
    writeBytes(folder / "a.vlm", "greet\r\nHello\r\n");
    dlgFile.choose(folder / "a.vlm");
    editor.cmdLoad_Click();
    dlgFile.choose(folder / "b.txt");
    editor.cmdSaveAs_Click();
    EXPECT_EQ(readBytes(folder / "b.txt"), "Hello\r\n");
    EXPECT_EQ(doc.DocTitle, "b");
    EXPECT_TRUE(doc.HasPath);
    type("More");
    editor.cmdSave_Click(); // no dialog: writes to b.txt
    EXPECT_EQ(dlgFile.shown.size(), 2u);
    EXPECT_EQ(readBytes(folder / "b.txt"), "More\r\n");
    EXPECT_EQ(readBytes(folder / "a.vlm"), "greet\r\nHello\r\n");

    // A document that was never bound stays unbound after Save As.
    doc.cmdNew_Click();
    type("x");
    dlgFile.choose(folder / "c.txt");
    editor.cmdSaveAs_Click();
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.DocPath, folder / "c.txt");
    dlgFile.cancel();
    editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 4u);
}

TEST_F(TextCommandTest, CancelAndNamesWithoutADotDoNothing) {
    type("work");
    const auto before = snapshot();
    writeBytes(folder / "README", "readme\r\n");
    boxes.answers = {Answer::No, Answer::No};
    dlgFile.cancel();
    editor.cmdLoad_Click();
    dlgFile.choose(folder / "README");
    editor.cmdLoad_Click();
    dlgFile.cancel();
    editor.cmdSave_Click();
    dlgFile.choose(folder / "NOTES");
    editor.cmdSave_Click();
    dlgFile.cancel();
    editor.cmdSaveAs_Click();
    dlgFile.choose(folder / "NOTES");
    editor.cmdSaveAs_Click();
    EXPECT_EQ(dlgFile.shown.size(), 6u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(std::filesystem::exists(folder / "NOTES"));
    EXPECT_TRUE(boxes.errors.empty());
}

// Loading replaces the text only after asking about unsaved changes.
TEST_F(TextCommandTest, LoadAsksBeforeReplacingUnsavedText) {
    writeBytes(folder / "a.txt", "from file\r\n");
    type("unsaved work");
    const auto before = snapshot();

    boxes.answers = {Answer::Cancel};
    editor.cmdLoad_Click();
    EXPECT_TRUE(dlgFile.shown.empty());
    EXPECT_EQ(snapshot(), before);

    // Yes whose save is cancelled: nothing is loaded.
    boxes.answers = {Answer::Yes};
    dlgFile.cancel();
    editor.cmdLoad_Click();
    EXPECT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_EQ(snapshot(), before);

    // Yes whose save works: saved, then loaded.
    boxes.answers = {Answer::Yes};
    dlgFile.choose(folder / "work.txt");
    dlgFile.choose(folder / "a.txt");
    editor.cmdLoad_Click();
    EXPECT_EQ(readBytes(folder / "work.txt"), "unsaved work\r\n");
    EXPECT_EQ(doc.text(), "from file\r\n");
    EXPECT_EQ(boxes.questions.size(), 3u);
}

// A failed load must not leave the document bound to a file it does not hold.
TEST_F(TextCommandTest, FailedLoadsChangeNothing) {
    writeBytes(folder / "earlier.txt", "earlier\r\n");
    dlgFile.choose(folder / "earlier.txt");
    editor.cmdLoad_Click();
    type("edited, not yet saved");
    doc.HasPath = false; // as after a string load: Save must ask
    const auto before = snapshot();

    writeBytes(folder / "empty.vlm", "");
    boxes.answers = {Answer::No, Answer::No, Answer::No};
    dlgFile.choose(folder / "missing.txt");
    editor.cmdLoad_Click();
    dlgFile.choose(folder / "empty.vlm");
    editor.cmdLoad_Click();
    std::filesystem::create_directory(folder / "sub.txt");
    dlgFile.choose(folder / "sub.txt"); // a folder, not a file
    editor.cmdLoad_Click();
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.errors.empty());

    // So Save still asks and the earlier file keeps its text.
    dlgFile.cancel();
    editor.cmdSave_Click();
    EXPECT_EQ(dlgFile.shown.size(), 5u);
    EXPECT_EQ(readBytes(folder / "earlier.txt"), "earlier\r\n");
}

TEST_F(TextCommandTest, LoadTextReportsWhyItFailed) {
    type("keep");
    const auto before = snapshot();
    const LoadResult missing = editor.LoadText(folder / "missing.vlm", "missing");
    EXPECT_EQ(missing.status, LoadResult::Status::Failed);
    EXPECT_NE(missing.reason.find("No such file"), std::string::npos) << missing.reason;
    const LoadResult dir = editor.LoadText(folder.path().string(), "dir");
    EXPECT_EQ(dir.status, LoadResult::Status::Failed);
    EXPECT_FALSE(dir.reason.empty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(TextCommandTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file-size limit (setrlimit), which Windows lacks";
#else
    using vellum::test::FileSizeLimit;
    const std::string path = folder / "story.txt";
    writeBytes(path, "the old story\r\n");
    dlgFile.choose(path);
    editor.cmdLoad_Click();
    type(std::string(4096, 'x'));
    const auto before = snapshot();
    {
        FileSizeLimit limit(1000);
        editor.cmdSave_Click();
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
    editor.cmdSave_Click();
    dlgFile.choose(folder / "dir.txt");
    editor.cmdSaveAs_Click();

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

TEST_F(TextCommandTest, TheLongestFileNamesCanBeSaved) {
    const std::string path = folder / (std::string(251, 'n') + ".txt");
    ASSERT_TRUE(io::replaceFile(path, "long\r\n").ok());
    EXPECT_EQ(readBytes(path), "long\r\n");
    EXPECT_EQ(folder.entries().size(), 1u);
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

    ASSERT_TRUE(io::replaceFile(folder / "link.txt", "via link\r\n").ok());
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
        doc.cmdNew_Click();
        type(text);
        doc.VarName = "cycle";
        const std::string path = folder / "cycle.vlm";
        dlgFile.choose(path);
        editor.cmdSave_Click();
        const std::string first = readBytes(path);
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(editor.LoadText(path, "cycle").ok());
            editor.cmdSave_Click();
            EXPECT_EQ(readBytes(path), first) << ::testing::PrintToString(text);
        }
    }
}
