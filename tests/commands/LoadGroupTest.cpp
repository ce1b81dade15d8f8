// Load .85s of a group file.

#include "formats/VariableFile.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

struct LoadGroupTest : support::EditorFixture, ListChooser {
    std::optional<std::size_t> answer; // the chooser's
    std::vector<std::string> shown;
    Editor groupEditor{doc, EditorServices{&dlgFile, nullptr, &boxes, nullptr, nullptr, this}};

    std::optional<std::size_t> choose(const std::string&, const std::string&,
                                      const std::vector<std::string>& items) override {
        shown = items;
        return answer;
    }
    static VariableEntry string(const Bytes& name, const Bytes& data) {
        return {stringfile::kStringType, name, stringVariableData(data), 0};
    }
    std::string group(const std::vector<VariableEntry>& entries, const char* name = "g.85G") {
        support::writeBytes(folder / name, layOutVariableFile("", entries).value());
        return folder / name;
    }
};

const VariableEntry kReal{0x00, "x", Bytes(10, '\x11'), 0};

} // namespace

TEST_F(LoadGroupTest, OneReadableStringLoadsAsItsStringFileWould) {
    const VariableEntry notes = string("Notes", buildStringData("one\r\ntwo"));
    ASSERT_TRUE(isDone(groupEditor.LoadString(group({kReal, string("raw", "xy"), notes}), "g")));
    EXPECT_TRUE(shown.empty());
    const Snapshot fromGroup = snapshot();
    ASSERT_TRUE(isDone(groupEditor.LoadString(group({notes}, "n.85s"), "g")));
    EXPECT_EQ(snapshot(), fromGroup);
}

TEST_F(LoadGroupTest, SeveralAreChosenFromAndCancelChangesNothing) {
    const std::string path =
        group({string("a", buildStringData("first")), kReal, string("b", buildStringData("2"))});
    const Snapshot before = snapshot();
    EXPECT_EQ(groupEditor.LoadString(path, "g").value(), Completion::Cancelled);
    EXPECT_EQ(shown, (std::vector<std::string>{"a  (11 bytes)", "b  (7 bytes)"}));
    EXPECT_EQ(snapshot(), before);

    answer = 1;
    ASSERT_TRUE(isDone(groupEditor.LoadString(path, "g")));
    EXPECT_EQ(doc.VarName + "|" + doc.text(), "b|2");
}

TEST_F(LoadGroupTest, NoReadableStringIsRefusedWithTheStringMessage) {
    for (const std::string& path : {group({kReal, string("raw", "xy")}), folder / "none.85g"}) {
        const Snapshot before = snapshot();
        boxes.errors.clear();
        EXPECT_FALSE(groupEditor.LoadString(path, "g").ok());
        ASSERT_EQ(boxes.errors.size(), 1u);
        EXPECT_EQ(boxes.errors[0].message, "Not a valid 'Scrollet' String.");
        EXPECT_EQ(snapshot(), before);
    }
}
