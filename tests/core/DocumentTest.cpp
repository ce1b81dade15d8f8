#include "core/Document.h"

#include <gtest/gtest.h>

#include <vector>

using vellum::Answer;
using vellum::Bytes;
using vellum::Document;

namespace {

// A document as start-up leaves it, with a scripted question box and a Save
// command that records its runs.
struct DocumentTest : ::testing::Test {
    Document doc;
    std::vector<Answer> answers;
    int questions = 0;
    int saves = 0;
    bool saveSucceeds = true;

    void SetUp() override {
        doc.setQuestion([this](const std::string& message, const std::string& title) {
            EXPECT_EQ(message, "File Unsaved. Save Now?");
            EXPECT_EQ(title, "Question");
            ++questions;
            Answer a = answers.empty() ? Answer::Cancel : answers.front();
            if (!answers.empty()) {
                answers.erase(answers.begin());
            }
            return a;
        });
        doc.setSaveCommand([this] {
            ++saves;
            if (saveSucceeds) {
                doc.IsSaved = true;
                doc.RefreshStatus();
            }
        });
        doc.IsSaved = true;
        doc.cmdNew_Click();
    }

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
    EXPECT_EQ(questions, 0);
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

TEST_F(DocumentTest, NewAsksOnlyAboutUnsavedText) {
    doc.cmdNew_Click();
    EXPECT_EQ(questions, 0);

    type("keep me");
    answers = {Answer::Cancel};
    doc.cmdNew_Click();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(doc.text(), "keep me");

    answers = {Answer::No};
    doc.cmdNew_Click();
    EXPECT_EQ(doc.text(), "");
    EXPECT_TRUE(doc.IsSaved);
    EXPECT_EQ(doc.lblSize(), "Data Size: 2");
    EXPECT_EQ(doc.lblSave(), "");
    doc.cmdNew_Click();
    EXPECT_EQ(questions, 2);
}

TEST_F(DocumentTest, NewResetsTheDocumentButKeepsItsPath) {
    doc.DocPath = "/tmp/a.vlm";
    doc.HasPath = true;
    doc.VarName = "prog";
    doc.DocTitle = "a";
    doc.cmdNew_Click();
    EXPECT_EQ(doc.DocPath, "/tmp/a.vlm");
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.VarName, "untitled");
    EXPECT_EQ(doc.lblFileName(), "Untitled");
}

TEST_F(DocumentTest, YesSavesThenGoesOnOnlyWhenTheSaveSucceeded) {
    type("work");
    answers = {Answer::Yes};
    doc.cmdNew_Click();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(doc.text(), "");

    // A cancelled or failed save keeps the text the user wanted to keep.
    type("more work");
    saveSucceeds = false;
    answers = {Answer::Yes};
    doc.cmdNew_Click();
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(doc.text(), "more work");

    bool cancel = false;
    answers = {Answer::Yes};
    doc.Form_QueryUnload(cancel);
    EXPECT_TRUE(cancel);
}

TEST_F(DocumentTest, ClosingAsksAndCanBeCancelled) {
    bool cancel = true;
    doc.Form_QueryUnload(cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(questions, 0);

    type("x");
    answers = {Answer::Cancel};
    doc.Form_QueryUnload(cancel);
    EXPECT_TRUE(cancel);
    answers = {Answer::No};
    doc.Form_QueryUnload(cancel);
    EXPECT_FALSE(cancel);
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
    EXPECT_EQ(Document::TitleFromFileName("Notes.VLM"), Bytes("notes"));
    EXPECT_EQ(Document::TitleFromFileName("my.notes.txt"), Bytes("my"));
    EXPECT_EQ(Document::TitleFromFileName("Story 1.txt"), Bytes("story 1"));
    EXPECT_EQ(Document::TitleFromFileName(".vlm"), Bytes(""));
    EXPECT_EQ(Document::TitleFromFileName("README"), std::nullopt);
    EXPECT_EQ(Document::TitleFromFileName("\xC3\x89t\xC3\xA9.txt"), Bytes("\x96t\x96")); // Été
}
