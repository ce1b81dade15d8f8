#include "formats/VariableFile.h"

#include "tests/formats/TifilesGroups.h"
#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::TifilesEntry;

namespace {

struct VariableFileTest : EditorFixture {
    static VariableEntry entry(std::uint8_t type, const Bytes& name, const Bytes& data) {
        VariableEntry e;
        e.type = type;
        e.name = name;
        e.data = data;
        return e;
    }
    static std::vector<TifilesEntry> asTifiles(const std::vector<VariableEntry>& entries) {
        std::vector<TifilesEntry> out;
        for (const VariableEntry& e : entries) {
            out.push_back({e.name, e.type, e.data});
        }
        return out;
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

TEST_F(VariableFileTest, LibtifilesReadsWhatWeLayOutAndWeReadWhatItWrites) {
    VELLUM_NEEDS_TIFILES();
    const std::string ours = folder / "ours.85g";
    support::writeBytes(ours, *layOutVariableFile(std::string(42, 'c'), mixed));
    std::vector<TifilesEntry> read;
    const support::TifilesRead status = support::readGroupWithTifiles(ours, read);
    ASSERT_EQ(status.error, 0);
    EXPECT_EQ(read, asTifiles(mixed));
    EXPECT_EQ(status.checksum, status.storedChecksum);
    EXPECT_TRUE(status.messages.empty());

    const std::string theirs = folder / "theirs.85g";
    ASSERT_EQ(support::writeWithTifiles(theirs, asTifiles(mixed)), 0);
    const VariableFile ourRead = readVariableFile(support::readBytes(theirs));
    ASSERT_TRUE(ourRead.sound()) << ourRead.problem;
    std::vector<VariableEntry> entries = ourRead.entries;
    for (VariableEntry& e : entries) {
        e.offset = 0;
    }
    EXPECT_EQ(asTifiles(entries), asTifiles(mixed));
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

TEST_F(VariableFileTest, TypesTheCalculatorLacksAreNamedButTheRestIsRead) {
    std::vector<VariableEntry> entries = mixed;
    entries[1].type = 0x0B;
    const VariableFile read = readVariableFile(*layOutVariableFile("", entries));
    EXPECT_EQ(read.problem, "entry 2: the type 0x0B is not a TI-85 variable type");
    EXPECT_EQ(read.entries.size(), 3u);
    EXPECT_EQ(describeType(0x0B), "type 0x0B");
    EXPECT_EQ(describeType(0xFF), "type 0xFF");
    EXPECT_EQ(describeType(0x12), "program");
}

TEST_F(VariableFileTest, AHugeFileIsJudgedFromItsHead) {
    // Only the first kReadLimit bytes of a 64 MB file are ever at hand.
    const Bytes head = *layOutVariableFile("", mixed);
    const VariableFile read = readVariableFile(head, 64ull << 20);
    EXPECT_NE(read.problem.find("but the file has 67108864"), std::string::npos) << read.problem;
    EXPECT_TRUE(isGroupPath("A.85G") && isGroupPath("x/b.85g") && !isGroupPath("b.85s"));
}
