#include "core/Document.h"

#include <gtest/gtest.h>

using vellum::Bytes;
using vellum::Document;

namespace {

// A document as start-up leaves it.
struct DocumentTest : ::testing::Test {
    Document doc;

    void SetUp() override { doc.resetToNew(); }
    void type(const Bytes& text) { doc.setText(text); }
};

} // namespace

TEST_F(DocumentTest, StartsAsAnEmptyUntitledDocument) {
    EXPECT_EQ(doc.nameBox(), "untitled");
    EXPECT_EQ(doc.lblFileName(), "Untitled");
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_EQ(doc.lblSize(), "Data Size: ");
    EXPECT_TRUE(doc.IsSaved);
    EXPECT_FALSE(doc.HasPath);
}

TEST_F(DocumentTest, SizeReadoutCountsCrLfAsOneCharacterPlusTheLeadIn) {
    type("x");
    EXPECT_EQ(doc.lblSize(), "Data Size: 3");
    EXPECT_EQ(doc.lblSave(), ""); // not redrawn until the next refresh
    EXPECT_FALSE(doc.IsSaved);
    type("ab\r\nc");
    EXPECT_EQ(doc.lblSize(), "Data Size: 6");
    type("a\rb");
    EXPECT_EQ(doc.lblSize(), "Data Size: 5");
    type("");
    EXPECT_EQ(doc.lblSize(), "Data Size: 2");
}

TEST_F(DocumentTest, SettingTheSameTextIsNoChange) {
    type("abc");
    doc.IsSaved = true;
    type("abc");
    EXPECT_TRUE(doc.IsSaved);
}

TEST_F(DocumentTest, NameBoxLowerCasesAndKeepsTheCaret) {
    doc.setNameBox("AbC", 3);
    EXPECT_EQ(doc.nameBox(), "abc");
    EXPECT_EQ(doc.nameBoxCaret(), 3u);
    doc.setNameBox("aXbc", 2);
    EXPECT_EQ(doc.nameBox(), "axbc");
    EXPECT_EQ(doc.nameBoxCaret(), 2u);
    EXPECT_EQ(doc.VarName, "untitled"); // adopted only on leaving the box
}

TEST_F(DocumentTest, LeavingTheNameBox) {
    doc.setNameBox("", 0);
    doc.txtVarName_LostFocus();
    EXPECT_EQ(doc.VarName, "untitled");
    EXPECT_EQ(doc.nameBox(), "untitled");
    EXPECT_EQ(doc.lblSave(), "MODIFIED");

    doc.IsSaved = true;
    doc.RefreshStatus();
    doc.setNameBox("prog", 4);
    doc.txtVarName_LostFocus();
    EXPECT_EQ(doc.VarName, "prog");
    EXPECT_FALSE(doc.IsSaved);
}

TEST_F(DocumentTest, LeavingTheNameBoxUnchangedOnlyRedrawsTheStatus) {
    type("typed");
    EXPECT_EQ(doc.lblSave(), "");
    doc.txtVarName_LostFocus();
    EXPECT_EQ(doc.lblSave(), "MODIFIED"); // the earlier typing now shows
    EXPECT_EQ(doc.VarName, "untitled");

    doc.IsSaved = true;
    doc.txtVarName_LostFocus();
    EXPECT_TRUE(doc.IsSaved);
}

TEST_F(DocumentTest, LongNamesAreCutAtTheRefreshAndUpperCaseKeptUntilAdopted) {
    doc.VarName = "ABCDEFGHIJ";
    doc.IsSaved = true;
    doc.RefreshStatus();
    EXPECT_EQ(doc.VarName, "ABCDEFGH");
    EXPECT_EQ(doc.nameBox(), "abcdefgh");
    doc.txtVarName_LostFocus();
    EXPECT_EQ(doc.VarName, "abcdefgh");
    EXPECT_FALSE(doc.IsSaved);
}

TEST_F(DocumentTest, ResetToNewEmptiesTheDocumentButKeepsItsPath) {
    type("text");
    doc.DocPath = "/tmp/a.vlm";
    doc.HasPath = true;
    doc.VarName = "prog";
    doc.DocTitle = "a";
    doc.resetToNew();
    EXPECT_EQ(doc.text(), "");
    EXPECT_TRUE(doc.IsSaved);
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_EQ(doc.lblSize(), "Data Size: 2");
    EXPECT_EQ(doc.DocPath, "/tmp/a.vlm");
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.VarName, "untitled");
    EXPECT_EQ(doc.lblFileName(), "Untitled");
}

// Only an edit the user made is taken over; a box the refresh filled (which
// lower-cased an upper-case name) is no edit.
TEST_F(DocumentTest, OnlyAPendingNameBoxEditIsTakenOver) {
    doc.VarName = "NOTES";
    doc.RefreshStatus();
    doc.takeOverNameBox();
    EXPECT_EQ(doc.VarName, "NOTES");
    EXPECT_TRUE(doc.IsSaved);

    doc.setNameBox("Draft", 5);
    doc.takeOverNameBox();
    EXPECT_EQ(doc.VarName, "draft");
    EXPECT_FALSE(doc.IsSaved);
    doc.IsSaved = true;
    doc.takeOverNameBox(); // taken over once only
    EXPECT_TRUE(doc.IsSaved);
}

TEST_F(DocumentTest, ChangesNestInsideOperations) {
    // A load-like operation: the text changes first, IsSaved is set after.
    doc.setText("loaded");
    doc.IsSaved = true;
    doc.RefreshStatus();
    EXPECT_EQ(doc.lblSave(), "");
    // Setting IsSaved first and changing the text afterwards ends modified.
    doc.IsSaved = true;
    doc.setText("changed after");
    EXPECT_FALSE(doc.IsSaved);
    // The refresh runs the name box change inside it.
    doc.VarName = "UPPER";
    doc.RefreshStatus();
    EXPECT_EQ(doc.nameBox(), "upper");
    EXPECT_EQ(doc.VarName, "UPPER");
}

TEST(TitleFromFileName, CutsBeforeTheFirstDotAndLowerCases) {
    // A name without a dot is used whole.
    EXPECT_EQ(Document::TitleFromFileName("README"), Bytes("readme"));
    EXPECT_EQ(Document::TitleFromFileName("Notes.VLM"), Bytes("notes"));
    EXPECT_EQ(Document::TitleFromFileName("my.notes.txt"), Bytes("my"));
    EXPECT_EQ(Document::TitleFromFileName("Story 1.txt"), Bytes("story 1"));
    EXPECT_EQ(Document::TitleFromFileName(".vlm"), Bytes(""));
    EXPECT_EQ(Document::TitleFromFileName("\xC3\x89t\xC3\xA9.txt"), Bytes("\x96t\x96")); // Été
}
