// Load .85s and its loader LoadString.

#include "formats/StringReader.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::handMade;
using vellum::support::readBytes;
using vellum::support::scrollet;
using vellum::support::writeBytes;

namespace {

struct LoadStringTest : EditorFixture {
    // Puts a modified document with some history in place, to see what a
    // load changes and what it leaves.
    void editSomething() {
        doc.DocPath = folder / "earlier.vlm";
        doc.setText("earlier text");
        doc.VarName = "earlier";
        doc.DocTitle = "earlier";
        doc.RefreshStatus();
    }
};

} // namespace

TEST_F(LoadStringTest, ALoadMakesAnUnboundModifiedDocument) {
    editSomething();
    doc.HasPath = true;
    doc.IsSaved = true;
    const std::string path = folder / "Notes.85S";
    writeBytes(path, scrollet("NOTES", "one\ntwo"));

    ASSERT_TRUE(isDone(editor.LoadString(path, "notes")));
    EXPECT_EQ(doc.text(), "one\r\ntwo");
    EXPECT_EQ(doc.VarName, "notes");
    EXPECT_EQ(doc.DocTitle, "notes");
    EXPECT_EQ(doc.DocPath, folder / "earlier.vlm");
    EXPECT_FALSE(doc.IsSaved);
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.lblSave(), "MODIFIED");
    EXPECT_EQ(doc.lblFileName(), "notes");
    EXPECT_EQ(doc.lblSize(), "Data Size: 9");
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(LoadStringTest, ALongNameIsCutByTheRefresh) {
    const std::string path = folder / "long.85s";
    writeBytes(path, scrollet("ABCDEFGHIJ", "x"));
    ASSERT_TRUE(isDone(editor.LoadString(path, "long")));
    EXPECT_EQ(doc.VarName, "abcdefgh");
    EXPECT_EQ(doc.nameBox(), "abcdefgh");
}

TEST_F(LoadStringTest, SameTextStillEndsModified) {
    const std::string path = folder / "same.85s";
    writeBytes(path, scrollet("same", ""));
    ASSERT_TRUE(doc.IsSaved);
    ASSERT_TRUE(isDone(editor.LoadString(path, "same")));
    EXPECT_FALSE(doc.IsSaved);
    EXPECT_EQ(doc.lblSave(), "MODIFIED");
}

// Whatever the reader cannot use, Load .85s says so in the one message and
// changes nothing; the outcome carries the reader's reason.
TEST_F(LoadStringTest, EveryRefusalShowsTheOneMessageAndChangesNothing) {
    const struct {
        const char* what;
        std::string bytes; // empty with missing: no file at all
        bool missing;
    } cases[] = {
        {"wrong marker", scrollet("abc", "x").replace(69, 1, "\x01"), false},
        {"empty file", "", false},
        {"no file", "", true},
        {"name of 189 bytes", scrollet(Bytes(189, 'n'), "x"), false},
        {"name of 188 bytes", scrollet(Bytes(188, 'n'), "x"), false},
        {"cut before the marker", scrollet("abc", "x").substr(0, 60), false},
        {"length word 0", handMade("z", 0, Bytes("\0\xEF", 2)), false},
        {"length word 1", handMade("z", 1, Bytes("\0\xEF", 2)), false},
        {"length word FFFF", handMade("z", 0xFFFF, Bytes("\0\xEF", 2)), false},
    };
    editSomething();
    const auto before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder / "bad.85s";
        std::filesystem::remove(path);
        if (!c.missing) {
            writeBytes(path, c.bytes);
        }
        boxes.errors.clear();
        boxes.answers = {Answer::No};
        dlgFile.choose(path);
        const CommandOutcome outcome = editor.cmdLoadS_Click();
        ASSERT_FALSE(outcome.ok());
        EXPECT_FALSE(outcome.failure().text.empty());
        ASSERT_EQ(boxes.errors.size(), 1u);
        EXPECT_EQ(boxes.errors[0].message, "Not a valid 'Scrollet' String.");
        EXPECT_EQ(boxes.errors[0].title, "Error");
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(std::filesystem::exists(path), !c.missing); // nothing created
    }
}

TEST_F(LoadStringTest, OversizedFilesAreReadOnlyAsFarAsNeeded) {
    // A sound string file followed by 150 MB (a hole, so the test stays fast):
    // the reader stops after the text.
    const std::string path = folder / "huge.85s";
    writeBytes(path, scrollet("huge", "small text"));
    std::filesystem::resize_file(path, 150u << 20);
    ASSERT_TRUE(isDone(editor.LoadString(path, "huge")));
    EXPECT_EQ(doc.text(), "small text");

    // A 40 KB file of text: 32765 bytes are taken, the rest ignored.
    const std::string big = folder / "big.85s";
    writeBytes(big, handMade("b", 0x7FFF, Bytes("\0\xEF", 2) + std::string(40000, 'q')));
    ASSERT_TRUE(isDone(editor.LoadString(big, "big")));
    EXPECT_EQ(doc.text(), std::string(32765, 'q'));
}

TEST_F(LoadStringTest, ShowsTheStringDialogAndTitlesTheDocument) {
    const std::string path = folder / "my.Notes.85S";
    writeBytes(path, scrollet("n", "t"));
    dlgFile.choose(path);
    EXPECT_TRUE(isDone(editor.cmdLoadS_Click()));
    ASSERT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_FALSE(dlgFile.shown[0].save);
    EXPECT_EQ(dlgFile.shown[0].settings.title, "Load String");
    EXPECT_EQ(dlgFile.shown[0].settings.filter, "TI-85 Strings|*.85s|All Files|*.*");
    EXPECT_EQ(dlgFile.shown[0].settings.fileName, "");
    EXPECT_TRUE(dlgString.shown.empty());
    EXPECT_EQ(doc.DocTitle, "my");
    EXPECT_EQ(doc.text(), "t");

    // A cancelled dialog changes nothing and says nothing.
    const auto before = snapshot();
    dlgFile.cancel();
    const CommandOutcome cancelled = editor.cmdLoadS_Click();
    ASSERT_TRUE(cancelled.ok());
    EXPECT_EQ(cancelled.value(), Completion::Cancelled);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.errors.empty());
}
