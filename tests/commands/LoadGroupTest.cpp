// Load .85s of a group file.

#include "formats/VariableFile.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::support::writeBytes;

namespace {

struct ScriptedChooser final : ListChooser {
    std::optional<std::size_t> answer;
    std::vector<std::string> shown;
    std::optional<std::size_t> choose(const std::string&, const std::string&,
                                      const std::vector<std::string>& items) override {
        shown = items;
        return answer;
    }
};

struct LoadGroupTest : support::EditorFixture {
    ScriptedChooser chooser;
    Editor groupEditor{doc, EditorServices{&dlgFile, nullptr, &boxes, nullptr, nullptr, &chooser}};

    static VariableEntry string(const Bytes& name, Bytes data) {
        return {stringfile::kStringType, name, stringVariableData(data), 0};
    }
    std::string group(const std::vector<VariableEntry>& entries) {
        const std::string path = folder / "g.85G";
        writeBytes(path, *layOutVariableFile("", entries));
        return path;
    }
};

const VariableEntry kReal{0x00, "x", Bytes(10, '\x11'), 0};

} // namespace

TEST_F(LoadGroupTest, OneReadableStringLoadsAsItsStringFileWould) {
    const Bytes data = buildStringData("one\r\ntwo");
    ASSERT_TRUE(isDone(groupEditor.LoadString(
        group({kReal, string("raw", "no marker"), string("Notes", data)}), "g")));
    EXPECT_TRUE(chooser.shown.empty());
    const Snapshot fromGroup = snapshot();
    writeBytes(folder / "n.85s", *layOutVariableFile("", {string("Notes", data)}));
    ASSERT_TRUE(isDone(groupEditor.LoadString(folder / "n.85s", "g")));
    EXPECT_EQ(snapshot(), fromGroup);
}

TEST_F(LoadGroupTest, SeveralAreChosenFromAndCancelChangesNothing) {
    const std::string path =
        group({string("a", buildStringData("first")), kReal, string("b", buildStringData("2"))});
    const Snapshot before = snapshot();
    EXPECT_EQ(groupEditor.LoadString(path, "g").value(), Completion::Cancelled);
    EXPECT_EQ(chooser.shown, (std::vector<std::string>{"a  (11 bytes)", "b  (7 bytes)"}));
    EXPECT_EQ(snapshot(), before);

    chooser.answer = 1;
    ASSERT_TRUE(isDone(groupEditor.LoadString(path, "g")));
    EXPECT_EQ(doc.VarName, "b");
    EXPECT_EQ(doc.text(), "2");
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
