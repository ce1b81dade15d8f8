#include "formats/VariableFile.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::support::EditorFixture;

namespace {

struct VariableFileTest : EditorFixture {
    static VariableEntry entry(std::uint8_t type, const Bytes& name, const Bytes& data) {
        VariableEntry e;
        e.type = type;
        e.name = name;
        e.data = data;
        return e;
    }
    // A string, a real number and a real list, as the calculator stores them.
    const std::vector<VariableEntry> mixed = {
        entry(0x0C, "notes", stringVariableData(buildStringData("a\r\nb"))),
        entry(0x00, "x", Bytes("\x00\x80\x21\x43\x65\x87\x09\x21\x43\x65", 10)),
        entry(0x04, "l1", Bytes("\x01\x00", 2) + Bytes(10, '\x11')),
    };
};

} // namespace

TEST_F(VariableFileTest, AStringFileIsTheCaseOfOneAndLaysOutAsTheStringWriterDoes) {
    const struct {
        Bytes name, text;
    } cases[] = {{"untitled", ""}, {"note", "AB\r\nC"}, {"", "x"}, {"abcdefgh", Bytes(600, 'z')}};
    for (const auto& c : cases) {
        const std::string written = compile(c.name, c.text, folder / "s.85s");
        const VariableFile read = readVariableFile(written);
        ASSERT_TRUE(read.sound()) << read.problem;
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(read.entries[0].type, stringfile::kStringType);
        EXPECT_EQ(read.entries[0].name, c.name);
        EXPECT_EQ(read.entries[0].data, stringVariableData(buildStringData(c.text)));
        EXPECT_EQ(layOutVariableFile(read.comment, read.entries), written);
        EXPECT_EQ(fileOfEntryAlone(read, read.entries[0]), written);
    }
}

TEST_F(VariableFileTest, OddButSoundFilesAreReadWhole) {
    // Thousands of empty entries, names of 0 and 255 bytes.
    std::vector<VariableEntry> many(8000, entry(0x0C, "", ""));
    const VariableFile manyRead = readVariableFile(*layOutVariableFile("", many));
    EXPECT_TRUE(manyRead.sound()) << manyRead.problem;
    EXPECT_EQ(manyRead.entries.size(), 8000u);

    const VariableFile longName =
        readVariableFile(*layOutVariableFile("", {entry(0x0C, Bytes(255, 'n'), "")}));
    ASSERT_TRUE(longName.sound()) << longName.problem;
    EXPECT_EQ(longName.entries[0].name, Bytes(255, 'n'));

    EXPECT_FALSE(layOutVariableFile("", {entry(0x0C, Bytes(256, 'n'), "")}));
    EXPECT_FALSE(layOutVariableFile("", std::vector<VariableEntry>(8192, entry(0x0C, "", ""))));
}

TEST_F(VariableFileTest, TypesTheCalculatorLacksAndHugeFilesAreNamed) {
    std::vector<VariableEntry> entries = mixed;
    entries[1].type = 0x0B;
    const Bytes file = *layOutVariableFile("", entries);
    const VariableFile read = readVariableFile(file);
    EXPECT_EQ(read.problem, "entry 2: the type 0x0B is not a TI-85 variable type");
    EXPECT_EQ(read.entries.size(), 3u); // the rest is still read
    EXPECT_EQ(describeType(0xFF) + ", " + describeType(0x12), "type 0xFF, program");
    // Only the first kReadLimit bytes of a 64 MB file are ever at hand.
    EXPECT_NE(readVariableFile(file, 64ull << 20).problem.find("but the file has 67108864"),
              std::string::npos);
    EXPECT_TRUE(isGroupPath("A.85G") && isGroupPath("x/b.85g") && !isGroupPath("b.85s"));
}
