// vellum-cli decompile, run in-process.

#include "ReaderCliFixture.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace vellum;
using vellum::support::CliOutcome;
using vellum::support::fixChecksum;
using vellum::support::readBytes;
using vellum::support::writeBytes;

namespace {

using DecompileTest = vellum::support::ReaderCliFixture;

void expectOneLine(const std::string& text, const std::string& contains) {
    EXPECT_NE(text.find(contains), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
}

} // namespace

TEST_F(DecompileTest, DecompileWritesAVellumDocumentNextToTheInput) {
    const std::string in = stringFile("Story.85s", "story", "Once\r\nupon");
    const CliOutcome r = decompile({in});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readBytes(folder / "Story.vlm"), "story\r\nOnce\r\nupon\r\n");

    // Any other ending holds the text alone.
    ASSERT_EQ(decompile({"-o", folder / "plain.txt", in}).status, 0);
    EXPECT_EQ(readBytes(folder / "plain.txt"), "Once\r\nupon\r\n");
    ASSERT_EQ(decompile({"--output=" + (folder / "NAMEDVLM"), in}).status, 0);
    EXPECT_EQ(readBytes(folder / "NAMEDVLM"), "story\r\nOnce\r\nupon\r\n");
}

TEST_F(DecompileTest, DecompileWritesUtf8OrCalculatorBytes) {
    const std::string in = stringFile("t.85s", "t", "\xC1\x10\x01");
    ASSERT_EQ(decompile({"-o", folder / "u.txt", in}).status, 0);
    EXPECT_EQ(readBytes(folder / "u.txt"), "\xCE\xB8\xE2\x88\x9A\xEE\x80\x81\r\n"); // θ√, stand-in
    ASSERT_EQ(decompile({"--encoding=ti85", "-o", folder / "c.txt", in}).status, 0);
    EXPECT_EQ(readBytes(folder / "c.txt"), "\xC1\x10\x01\r\n");
    EXPECT_EQ(decompile({"-e", "utf-16", in}).status, 2);
}

TEST_F(DecompileTest, DecompileReadsAsTheEditorDoes) {
    // A hand-made body with a NUL, a lone LF and upper case in the name:
    // what the editor's loader does to them, the tool does too.
    std::string file = readBytes(stringFile("odd.85s", "ab", "x"));
    file[61] = 'A';
    file[71] = '\n';
    fixChecksum(file);
    writeBytes(folder / "odd.85s", file);
    ASSERT_TRUE(isDone(editor.LoadString(folder / "odd.85s", "odd")));
    ASSERT_EQ(decompile({folder / "odd.85s"}).status, 0);
    EXPECT_EQ(doc.VarName, "ab");
    EXPECT_EQ(doc.text(), "x\r\n");
    // The text's own line break, then the closing one.
    EXPECT_EQ(readBytes(folder / "odd.vlm"), "ab\r\nx\r\n\r\n");
}

TEST_F(DecompileTest, DecompileFailuresLeaveEarlierOutputAlone) {
    const std::string out = folder / "out.vlm";
    writeBytes(out, "earlier\r\nwork\r\n");
    // A sound file whose string is not in the viewer's layout.
    std::string notScrollet = readBytes(stringFile("plain.85s", "p", "text"));
    notScrollet[65 + 1 + 1] = 0x01;
    fixChecksum(notScrollet);
    writeBytes(folder / "plain.85s", notScrollet);
    const std::string sound = stringFile("sound.85s", "s", "text");
    const std::string soundBytes = readBytes(sound);

    CliOutcome r = decompile({"-o", out, folder / "plain.85s"});
    EXPECT_EQ(r.status, 1);
    expectOneLine(r.err, "not a valid Scrollet string: no Scrollet marker (EF) at offset 67");
    r = decompile({"-o", out, folder / "missing.85s"});
    EXPECT_EQ(r.status, 1);
    expectOneLine(r.err, "No such file or directory");
    EXPECT_EQ(readBytes(out), "earlier\r\nwork\r\n");

    // The output cannot be written: nothing new appears.
    r = decompile({"-o", folder / "no/such/folder.vlm", sound});
    EXPECT_EQ(r.status, 1);
    expectOneLine(r.err, "cannot write");
    std::filesystem::create_directory(folder / "dir.vlm");
    r = decompile({"-o", folder / "dir.vlm", sound});
    EXPECT_EQ(r.status, 1);
    expectOneLine(r.err, "Is a directory");
    // Nor may the output overwrite the input.
    r = decompile({"-o", sound, sound});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readBytes(sound), soundBytes);
    EXPECT_FALSE(std::filesystem::exists(folder / "sound.vlm"));
}

// A file that check finds damaged is not decompiled unless asked: the damage
// is named and nothing is written. With --lenient the text the editor would
// load is written, with a warning.
TEST_F(DecompileTest, DamagedFilesAreDecompiledOnlyWhenLenient) {
    const std::string good = readBytes(stringFile("good.85s", "note", "one\r\ntwo"));
    std::string badSum = good;
    badSum.back() ^= 1;
    std::string zeroLength = good;
    zeroLength[63 + 4] = zeroLength[64 + 4] = '\0';
    fixChecksum(zeroLength);
    const struct {
        const char* what;
        std::string bytes;
        const char* lenientText; // null: the editor cannot load it either
    } cases[] = {
        {"truncated", good.substr(0, good.size() - 5), "note\r\none\r\ntw\r\n"},
        {"wrong checksum", badSum, "note\r\none\r\ntwo\r\n"},
        {"string length 0", zeroLength, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string in = folder / "damaged.85s";
        const std::string out = folder / "damaged.vlm";
        std::filesystem::remove(out);
        writeBytes(in, c.bytes);
        ASSERT_EQ(check({in}).status, 1);

        CliOutcome r = decompile({in});
        EXPECT_EQ(r.status, 1);
        expectOneLine(r.err, "damaged: ");
        EXPECT_NE(r.err.find("nothing written"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(out));

        r = decompile({"--lenient", in});
        EXPECT_NE(r.err.find("warning: damaged: "), std::string::npos) << r.err;
        if (c.lenientText != nullptr) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(readBytes(out), c.lenientText);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST_F(DecompileTest, DecompileUsage) {
    EXPECT_EQ(decompile({}).status, 2);
    EXPECT_EQ(decompile({"a.85s", "b.85s"}).status, 2);
    EXPECT_EQ(decompile({"--bogus", "a.85s"}).status, 2);
    EXPECT_EQ(decompile({"a.85s", "-o"}).status, 2);
    const CliOutcome help = decompile({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: vellum-cli decompile"), std::string::npos);
}
