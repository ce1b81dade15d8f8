#include "formats/VariableFile.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace vellum;

namespace {

VariableEntry entry(std::uint8_t type, const Bytes& name, const Bytes& data) {
    return {type, name, data, 0};
}

} // namespace

using VariableFileTest = support::EditorFixture;

TEST_F(VariableFileTest, AStringFileIsTheCaseOfOneAndLaysOutAsTheStringWriterDoes) {
    const struct {
        Bytes name, text;
    } cases[] = {{"untitled", ""}, {"note", "AB\r\nC"}, {"", "x"}, {"abcdefgh", Bytes(600, 'z')}};
    for (const auto& c : cases) {
        const std::string written = compile(c.name, c.text, folder / "s.85s");
        const VariableFile read = readVariableFile(written);
        ASSERT_TRUE(read.sound()) << read.problem;
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(read.entries[0].data, stringVariableData(buildStringData(c.text)));
        EXPECT_EQ(layOutVariableFile(read.comment, read.entries).value(), written);
        EXPECT_EQ(fileOfEntryAlone(read, read.entries[0]), written);
    }
}

TEST_F(VariableFileTest, OddButSoundFilesAreReadWhole) {
    // Thousands of empty entries, names of 0 and 255 bytes.
    const VariableFile many =
        readVariableFile(layOutVariableFile("", std::vector(8000, entry(0x0C, "", ""))).value());
    EXPECT_TRUE(many.sound()) << many.problem;
    EXPECT_EQ(many.entries.size(), 8000u);
    const VariableFile longName =
        readVariableFile(layOutVariableFile("", {entry(0x0C, Bytes(255, 'n'), "")}).value());
    ASSERT_TRUE(longName.sound()) << longName.problem;
    EXPECT_EQ(longName.entries[0].name, Bytes(255, 'n'));

    EXPECT_EQ(layOutVariableFile("", {entry(0x0C, Bytes(256, 'n'), "")}).failure().number,
              ENAMETOOLONG);
    EXPECT_EQ(layOutVariableFile("", std::vector(8192, entry(0x0C, "", ""))).failure().number,
              EFBIG);
}

TEST_F(VariableFileTest, TypesTheCalculatorLacksAndHugeFilesAreNamed) {
    const Bytes file =
        layOutVariableFile("", {entry(0x0C, "s", ""), entry(0x0B, "x", "12"), entry(0x04, "l", "")})
            .value();
    const VariableFile read = readVariableFile(file);
    EXPECT_EQ(read.problem, "entry 2: the type 0x0B is not a TI-85 variable type");
    EXPECT_EQ(read.entries.size(), 3u); // the rest is still read
    EXPECT_EQ(describeType(0xFF) + ", " + describeType(0x12), "type 0xFF, program");
    // Only the first kReadLimit bytes of a 64 MB file are ever at hand.
    EXPECT_NE(readVariableFile(file, 64ull << 20).problem.find("but the file has 67108864"),
              std::string::npos);
    EXPECT_TRUE(isGroupPath("A.85G") && isGroupPath("x/b.85g") && !isGroupPath("b.85s"));
}
