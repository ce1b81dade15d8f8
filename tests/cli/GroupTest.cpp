// Group files through vellum-cli: check, decompile and compile --group, with
// libtifiles writing and reading groups as a second opinion.

#include "ReaderCliFixture.h"

#include "formats/VariableFile.h"

#include "tests/support/Environment.h"
#include "tests/support/StringFiles.h"
#include "tests/support/TifilesGroups.h"

#include <filesystem>

using namespace vellum;
using vellum::support::CliOutcome;
using vellum::support::readBytes;
using vellum::support::TifilesEntry;
using vellum::support::writeBytes;

namespace {

namespace fs = std::filesystem;

struct GroupTest : support::ReaderCliFixture {
    CliOutcome compileGroup(const cli::Args& args) { return run(cli::compile, args); }

    // A group laid out from (type, name, data) entries.
    static std::string group(const std::vector<TifilesEntry>& entries) {
        std::vector<VariableEntry> laid;
        for (const TifilesEntry& e : entries) {
            laid.push_back({static_cast<std::uint8_t>(e.type), e.name, e.data, 0});
        }
        return layOutVariableFile("", laid).value();
    }
    static TifilesEntry string(const Bytes& name, const Bytes& text) {
        return {name, 0x0C, stringVariableData(buildStringData(text))};
    }
    std::string folderWith(const std::string& name) {
        fs::create_directories(folder / name);
        return folder / name;
    }
};

const TifilesEntry kReal{"x", 0x00, Bytes("\x00\x80\x21\x43\x65\x87\x09\x21\x43\x65", 10)};
const TifilesEntry kList{"l1", 0x04, Bytes("\x01\x00", 2) + Bytes(10, '\x11')};

} // namespace

TEST_F(GroupTest, LibtifilesGroupsDecompileToTheDocumentsOfTheirSingleFiles) {
    VELLUM_NEEDS_TIFILES();
    // Strings from the editor and from libtifiles, a real number and a list.
    const std::vector<std::string> singles = {
        stringFile("a.85s", "notes", "one\r\ntwo"), stringFile("b.85s", "menu", "\x1A\xC1"),
        folder / "c.85s", folder / "x.85n", folder / "l1.85l"};
    ASSERT_EQ(support::writeWithTifiles(singles[2], {string("raw", "cr\rlf\n")}), 0);
    ASSERT_EQ(support::writeWithTifiles(singles[3], {kReal}), 0);
    ASSERT_EQ(support::writeWithTifiles(singles[4], {kList}), 0);
    ASSERT_EQ(support::groupWithTifiles(singles, folder / "all.85g"), 0);

    const CliOutcome r = decompile({"-o", folderWith("out"), folder / "all.85g"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("entry 4: real number \"x\", 10 bytes: not a string; skipped\n"),
              std::string::npos);
    EXPECT_NE(r.err.find("entry 5: real list \"l1\", 12 bytes: not a string; skipped\n"),
              std::string::npos);
    for (const auto& [single, name] : {std::pair{"a", "notes"}, {"b", "menu"}, {"c", "raw"}}) {
        ASSERT_EQ(decompile({folder / (single + std::string(".85s"))}).status, 0);
        EXPECT_EQ(readBytes(folder / ("out/" + std::string(name) + ".vlm")),
                  readBytes(folder / (single + std::string(".vlm"))));
    }
}

TEST_F(GroupTest, CompileGroupHoldsEachStringAsItWouldBeAloneAndLibtifilesReadsIt) {
    const support::ScopedEnvironment epoch({{"SOURCE_DATE_EPOCH", "1796595330"}});
    writeBytes(folder / "cheat.txt", "sin \xCE\xB8\n");
    writeBytes(folder / "m.vlm", "Menu\r\nline\r\n");
    writeBytes(folder / "e.txt", "");
    const cli::Args inputs = {folder / "cheat.txt", folder / "m.vlm", folder / "e.txt"};
    cli::Args args = {"--group", folder / "g.85g"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    ASSERT_EQ(compileGroup(args).status, 0);
    ASSERT_EQ(compileGroup(inputs).status, 0); // each alone

    std::vector<VariableEntry> alone;
    for (const char* single : {"cheat.85s", "m.85s", "e.85s"}) {
        alone.push_back(readVariableFile(readBytes(folder / single)).entries.at(0));
    }
    // The group is what the group writer makes of the strings alone.
    EXPECT_EQ(
        readBytes(folder / "g.85g"),
        layOutVariableFile(readVariableFile(readBytes(folder / "e.85s")).comment, alone).value());

    VELLUM_NEEDS_TIFILES();
    std::vector<TifilesEntry> read;
    const support::TifilesRead status = support::readGroupWithTifiles(folder / "g.85g", read);
    ASSERT_EQ(status.error, 0);
    ASSERT_EQ(read.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i], TifilesEntry({alone[i].name, 0x0C, alone[i].data}));
    }
    EXPECT_EQ(status.checksum, status.storedChecksum);
    EXPECT_TRUE(status.messages.empty());
}

TEST_F(GroupTest, CompileGroupRefusesBeforeWriting) {
    writeBytes(folder / "a/notes.txt", "one");
    writeBytes(folder / "b/Notes.txt", "two");
    writeBytes(folder / "big1.txt", std::string(30000, 'x'));
    writeBytes(folder / "big2.txt", std::string(30000, 'y'));
    writeBytes(folder / "big3.txt", std::string(30000, 'z'));
    const struct {
        cli::Args inputs;
        const char* says;
    } cases[] = {
        {{folder / "a/notes.txt", folder / "b/Notes.txt"}, "is also that of"},
        {{folder / "big1.txt", folder / "big2.txt", folder / "big3.txt"}, "16-bit length"},
        {{folder / "a/notes.txt", folder / "missing.txt"}, "No such file"},
        {{folder / "old.85g"}, "is the input itself"},
    };
    for (const auto& c : cases) {
        writeBytes(folder / "old.85g", "old");
        cli::Args args = {"-g", folder / "old.85g"};
        args.insert(args.end(), c.inputs.begin(), c.inputs.end());
        const CliOutcome r = compileGroup(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(readBytes(folder / "old.85g"), "old");
    }
    EXPECT_EQ(compileGroup({"-g", "x.85g", "-o", "y", "in"}).status, 2);
}

// Each damaged group through check and decompile: check says what is wrong,
// decompile writes nothing; --lenient writes the strings it can find.
TEST_F(GroupTest, DamagedGroups) {
    const std::string good = group({string("one", "1"), kReal, string("two", "2")});
    const auto withWord = [](std::size_t offset, std::size_t value, std::string f) {
        f[offset] = static_cast<char>(value & 0xFF);
        f[offset + 1] = static_cast<char>(value >> 8);
        support::fixChecksum(f);
        return f;
    };
    std::string badSum = good;
    badSum.back() ^= 1;
    std::string badType = good;
    badType[77] = 0x0B;
    support::fixChecksum(badType);
    const struct {
        const char* what;
        std::string bytes;
        const char* problem;
        int writes, lenientWrites; // documents decompile writes, without and with --lenient
    } cases[] = {
        {"cut inside an entry", good.substr(0, 80),
         "the data-section length 55 needs a file of 112 bytes, but the file has 80", 0, 1},
        {"entry claims more than the file", withWord(64, 200, withWord(57, 200, good)),
         "entry 1: claims 200 bytes of data, but only 44 are left", 0, 0},
        {"two data lengths", withWord(57, 8, good), "entry 1: the two data lengths differ", 0, 0},
        {"wrong header length", withWord(55, 9, good), "entry 1: the header length 9", 0, 0},
        {"wrong checksum", badSum, "the checksum is", 0, 2},
        {"zero entries", group({}), "the data section holds no variable", 0, 0},
        {"type the TI-85 lacks", badType, "entry 2: the type 0x0B is not a TI-85", 0, 2},
        {"a damaged string", withWord(66, 9, good), "the string of entry 1 is damaged", 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string in = folder / "damaged.85g";
        const std::string out = folderWith(c.what);
        writeBytes(in, c.bytes);
        const CliOutcome checked = check({in});
        EXPECT_EQ(checked.status, 1);
        EXPECT_NE(checked.out.find(c.problem), std::string::npos) << checked.out;

        const auto written = [&out] {
            return std::distance(fs::directory_iterator(out), fs::directory_iterator());
        };
        EXPECT_EQ(decompile({"-o", out, in}).status, 1);
        EXPECT_EQ(written(), c.writes);
        const CliOutcome lenient = decompile({"--lenient", "-o", out, in});
        EXPECT_EQ(lenient.status, c.lenientWrites > 0 ? 0 : 1) << lenient.err;
        EXPECT_EQ(written(), c.lenientWrites) << lenient.err;
    }
}

TEST_F(GroupTest, DecompiledNamesStayInTheFolderAndNeverMeet) {
    const std::string out = folderWith("out");
    writeBytes(folder / "odd.85g", group({string("../up", "a"), string("", "b"), string("a/b", "c"),
                                          string("..", "d"), string("nul", "e")}));
    // --lenient: no calculator stores the string without a name.
    EXPECT_EQ(decompile({"--lenient", "-o", out, folder / "odd.85g"}).status, 0);
    for (const char* name : {".._up", "_", "a_b", "_..", "_nul"}) {
        EXPECT_TRUE(fs::exists(out + "/" + name + ".vlm")) << name;
    }
    EXPECT_EQ(readBytes(out + "/.._up.vlm"), "../up\r\na\r\n");

    writeBytes(folder / "twice.85g", group({string("Notes", "a"), string("notes", "b")}));
    const CliOutcome r = decompile({"-o", folderWith("twice"), folder / "twice.85g"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("entries 1 and 2 would both write"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(folder / "twice"));
}

TEST_F(GroupTest, CheckListsEveryEntry) {
    std::string raw = string("raw", "x").data;
    raw[3] = 'A'; // 00 41: no viewer's marker
    writeBytes(folder / "g.85g", group({string("notes", "hi"), kList, {"raw", 0x0C, raw}}));
    const CliOutcome r = check({folder / "g.85g"});
    EXPECT_EQ(r.status, 0);
    const std::string f = folder / "g.85g: ";
    EXPECT_EQ(r.out, f + "entry 1: string \"notes\", 8 bytes, in the viewer's layout\n" + f +
                         "entry 2: real list \"l1\", 12 bytes\n" + f +
                         "entry 3: string \"raw\", 7 bytes, not in the viewer's layout: the "
                         "string starts with 00 41, not 00 EF\n" +
                         f + "valid group of 3 variables\n");
}
