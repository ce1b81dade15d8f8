#include "formats/StringCheck.h"
#include "formats/StringReader.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <random>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::fixChecksum;

namespace {

struct StringCheckTest : EditorFixture {
    // A file as the editor compiles it: name "note", text "AB" CR LF "C".
    std::string sound() { return compile("note", "AB\r\nC", folder / "note.85s"); }

    static void setWord(std::string& file, std::size_t offset, std::size_t value) {
        file[offset] = static_cast<char>(value & 0xFF);
        file[offset + 1] = static_cast<char>(value >> 8);
    }
    static std::string problem(const std::string& file) {
        const StringCheckResult r = checkStringFile(file);
        EXPECT_FALSE(r.valid);
        return r.problem;
    }
};

} // namespace

TEST_F(StringCheckTest, TheEditorsFilesAreValidInTheViewersLayout) {
    const StringCheckResult r = checkStringFile(sound());
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_TRUE(r.viewerLayout);
    EXPECT_EQ(r.name, "note");
    EXPECT_EQ(r.stringLength, 8u);

    const StringCheckResult empty = checkStringFile(compile("", "", folder / "e.85s"));
    EXPECT_TRUE(empty.valid) << empty.problem;
    EXPECT_TRUE(empty.viewerLayout);
}

TEST_F(StringCheckTest, NamesTheFirstThingWrong) {
    const std::string good = sound();
    std::string f;

    EXPECT_EQ(problem(""), "no \"**TI85**\" signature");
    f = good, f[2] = 't';
    EXPECT_EQ(problem(f), "no \"**TI85**\" signature");
    f = good, f[9] = 0x0D;
    EXPECT_EQ(problem(f), "the signature is followed by 1A 0D 00, not 1A 0C 00");
    EXPECT_EQ(problem(good.substr(0, 40)), "the file ends inside its header, after 40 bytes");

    f = good + "x";
    EXPECT_EQ(problem(f),
              "the data-section length 22 needs a file of 79 bytes, but the file has 80");
    EXPECT_EQ(problem(good.substr(0, good.size() - 1)),
              "the data-section length 22 needs a file of 79 bytes, but the file has 78");

    f = good, setWord(f, 55, 7), fixChecksum(f);
    EXPECT_EQ(problem(f),
              "the entry header length 7 does not match the name length 4 (expected 8)");
    f = good, f[59] = 0x0B, fixChecksum(f);
    EXPECT_EQ(problem(f), "the variable type 0B is not a string (0C)");
    f = good, setWord(f, 57, 11), fixChecksum(f);
    EXPECT_EQ(problem(f), "the two data lengths differ: 11 at offset 57, 10 at offset 65");
    f = good, setWord(f, 57, 11), setWord(f, 65, 11), fixChecksum(f);
    EXPECT_EQ(problem(f),
              "the data section of 22 bytes does not hold exactly one variable entry (23 bytes)");
    f = good, setWord(f, 67, 9), fixChecksum(f);
    EXPECT_EQ(problem(f), "the string length 9 is not two less than the data length 10");
    f = good, f[72] = 'b';
    EXPECT_EQ(problem(f), "the checksum is 0x03A9, the bytes add up to 0x03C9");
    // The comment is outside the checksum.
    f = good, f[20] = '#';
    EXPECT_TRUE(checkStringFile(f).valid);
}

TEST_F(StringCheckTest, TellsWhetherTheBodyHasTheViewersLayout) {
    std::string f = sound();
    f[70] = 0x01, fixChecksum(f);
    StringCheckResult r = checkStringFile(f);
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_FALSE(r.viewerLayout);
    EXPECT_EQ(r.layoutProblem, "the string starts with 00 01, not 00 EF");

    f = sound();
    f[76] = 'z', fixChecksum(f);
    r = checkStringFile(f);
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_EQ(r.layoutProblem, "the string ends with 00 7A, not 00 00");
}

TEST_F(StringCheckTest, TheViewersLayoutOnlyWhereTheEditorCanReadIt) {
    // A name of 188 bytes puts the text beyond the reader's positions, and a
    // string of 32,768 bytes has a negative length word for the reader: both
    // files are sound, but the editor cannot load them.
    const std::string longName = compile(Bytes(188, 'n'), "x", folder / "n.85s");
    StringCheckResult r = checkStringFile(longName);
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_FALSE(r.viewerLayout);
    EXPECT_NE(r.layoutProblem.find("name of 188 bytes"), std::string::npos) << r.layoutProblem;
    EXPECT_FALSE(decodeStringFile(longName).ok());
    EXPECT_TRUE(checkStringFile(compile(Bytes(187, 'n'), "x", folder / "m.85s")).viewerLayout);

    // Grow the body of a sound file to the given string length, in place.
    const auto grown = [](std::string f, std::size_t stringLength) {
        const std::size_t text = stringLength - 4;
        f.insert(71, text - 4, 'x'); // "AB\nC" becomes longer
        setWord(f, 53, stringLength + 14);
        setWord(f, 57, stringLength + 2);
        setWord(f, 65, stringLength + 2);
        setWord(f, 67, stringLength);
        fixChecksum(f);
        return f;
    };
    const std::string longest = grown(sound(), 0x7FFF);
    r = checkStringFile(longest);
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_TRUE(r.viewerLayout) << r.layoutProblem;
    EXPECT_TRUE(decodeStringFile(longest).ok());

    const std::string tooLong = grown(sound(), 0x8000);
    r = checkStringFile(tooLong);
    ASSERT_TRUE(r.valid) << r.problem;
    EXPECT_FALSE(r.viewerLayout);
    EXPECT_EQ(r.layoutProblem,
              "the string of 32768 bytes is longer than the editor reads (32767 bytes)");
    EXPECT_FALSE(decodeStringFile(tooLong).ok());
}

TEST_F(StringCheckTest, ShortSectionsAndOversizedFilesAreCaughtWithoutOverreading) {
    // Data-section lengths too small to hold an entry.
    std::string f = sound().substr(0, 55);
    for (std::size_t section = 0; section < 12; ++section) {
        std::string g = f + std::string(section + 2, '\x01');
        setWord(g, 53, section);
        EXPECT_FALSE(checkStringFile(g).valid) << section;
    }
    // Only the head of a huge file is handed over: its size alone rules it out.
    const std::string head = sound();
    const StringCheckResult r = checkStringFile(head, 200'000'000);
    EXPECT_FALSE(r.valid);
    EXPECT_NE(r.problem.find("200000000"), std::string::npos);
    // A file whose size fits but which was not read whole.
    EXPECT_EQ(checkStringFile(head.substr(0, 60), head.size()).problem,
              "only 60 of its 79 bytes could be read");
}

TEST_F(StringCheckTest, MangledFilesNeverReadOutOfBounds) {
    // Random bytes changed, cut off or added, with the checksum sometimes put
    // right: every verdict must come from inside the file (run under the
    // address sanitizer to see it).
    const std::string good = sound();
    std::mt19937 random(55);
    int valid = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string f = good;
        for (int changes = 1 + random() % 3; changes > 0; --changes) {
            f[random() % f.size()] =
                static_cast<char>(random() % 4 == 0 ? random() % 16 : random());
        }
        if (round % 3 == 0) {
            f.resize(random() % (f.size() + 8), 'z');
        }
        if (round % 2 == 0 && f.size() > 57) {
            fixChecksum(f);
        }
        const StringCheckResult r = checkStringFile(f);
        valid += r.valid ? 1 : 0;
        EXPECT_TRUE(r.valid || !r.problem.empty());
    }
    EXPECT_GT(valid, 0);
}
