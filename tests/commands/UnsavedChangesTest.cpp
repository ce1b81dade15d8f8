// The unsaved-changes prompt, as New, Load, Load .85s and closing run it.

#include "tests/support/EditorFixture.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::writeBytes;

namespace {

enum class Command { New, Load, LoadString, Close };
enum class Before {
    Saved,       // nothing unsaved: no question
    YesSaved,    // Yes, and the save is written
    YesFailed,   // Yes, and the save cannot be written
    YesCanceled, // Yes, and the save dialog is cancelled
    No,          // No: goes on without saving
    Cancel,      // Cancel: stops
    PendingName, // only a name typed into the box, not yet left; then Cancel
};

struct Expected {
    bool asks;
    bool goesOn;
    bool saves;
};

Expected expectedFor(Before before) {
    switch (before) {
    case Before::Saved:
        return {false, true, false};
    case Before::YesSaved:
        return {true, true, true};
    case Before::YesFailed:
    case Before::YesCanceled:
        return {true, false, false};
    case Before::No:
        return {true, true, false};
    case Before::Cancel:
    case Before::PendingName:
        return {true, false, false};
    }
    return {};
}

struct UnsavedChangesTest : support::EditorFixture,
                            ::testing::WithParamInterface<std::tuple<Command, Before>> {
    const std::string kept = folder / "kept.txt";
    const std::string textFile = folder / "a.txt";
    const std::string stringFile = folder / "s.85s";

    UnsavedChangesTest() {
        writeBytes(textFile, "from file\r\n");
        writeBytes(stringFile, support::scrollet("s", "loaded"));
    }

    CommandOutcome run(Command command) {
        switch (command) {
        case Command::New:
            return editor.cmdNew_Click();
        case Command::Load:
            dlgFile.choose(textFile);
            return editor.cmdLoad_Click();
        case Command::LoadString:
            dlgFile.choose(stringFile);
            return editor.cmdLoadS_Click();
        case Command::Close:
            return editor.Form_QueryUnload();
        }
        return Completion::Cancelled;
    }

    // What the document holds once New or a load has gone on.
    static Bytes textAfter(Command command) {
        return command == Command::Load         ? "from file"
               : command == Command::LoadString ? "loaded"
                                                : "";
    }
};

TEST_P(UnsavedChangesTest, AsksSavesAndGoesOnOrStops) {
    const auto [command, before] = GetParam();
    const Expected expected = expectedFor(before);

    if (before == Before::PendingName) {
        doc.setNameBox("renamed", 7);
    } else if (before != Before::Saved) {
        type("unsaved work");
    }
    if (before == Before::YesSaved) {
        boxes.answers = {Answer::Yes};
        dlgFile.choose(kept);
    } else if (before == Before::YesFailed) {
        boxes.answers = {Answer::Yes};
        dlgFile.choose(folder / "no/such/folder/kept.txt");
    } else if (before == Before::YesCanceled) {
        boxes.answers = {Answer::Yes};
        dlgFile.cancel();
    } else if (before == Before::No) {
        boxes.answers = {Answer::No};
    }
    const Bytes textBefore = doc.text();

    const CommandOutcome outcome = run(command);

    ASSERT_EQ(boxes.questions.size(), expected.asks ? 1u : 0u);
    if (expected.asks) {
        EXPECT_EQ(boxes.questions[0].message, "File Unsaved. Save Now?");
        EXPECT_EQ(boxes.questions[0].title, "Question");
    }
    EXPECT_EQ(isDone(outcome), expected.goesOn);
    EXPECT_EQ(std::filesystem::exists(kept), expected.saves);
    if (expected.saves) {
        EXPECT_EQ(readBytes(kept), "unsaved work\r\n");
    }
    // A failed save says why; nothing else shows a box.
    EXPECT_EQ(boxes.errors.size(), before == Before::YesFailed ? 1u : 0u);
    if (before == Before::PendingName) {
        EXPECT_EQ(doc.VarName, "renamed"); // taken over as leaving the box would
    }
    if (expected.goesOn && command != Command::Close) {
        EXPECT_EQ(doc.text(), textAfter(command));
    } else {
        EXPECT_EQ(doc.text(), textBefore);
    }
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Command, Before>>& info) {
    static const char* const commands[] = {"New", "Load", "LoadString", "Close"};
    static const char* const befores[] = {"Saved", "YesSaved", "YesFailed",  "YesCanceled",
                                          "No",    "Cancel",   "PendingName"};
    return std::string(commands[static_cast<int>(std::get<0>(info.param))]) + "_" +
           befores[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Prompt, UnsavedChangesTest,
                         ::testing::Combine(::testing::Values(Command::New, Command::Load,
                                                              Command::LoadString, Command::Close),
                                            ::testing::Values(Before::Saved, Before::YesSaved,
                                                              Before::YesFailed,
                                                              Before::YesCanceled, Before::No,
                                                              Before::Cancel, Before::PendingName)),
                         caseName);

} // namespace
