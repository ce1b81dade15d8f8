#include "formats/StringReader.h"

#include "ReaderFakes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>

using namespace vellum;
using vellum::testing::EditorFixture;
using vellum::testing::readBytes;
using vellum::testing::writeBytes;
using Status = StringDecode::Status;

namespace {

// A string file laid out by hand, so that each field the reader uses can be
// set to anything: the name-length byte, the name, the string's length word
// and the body from its leading 00 on. The header before offset 60 is what a
// real file holds, apart from the comment.
std::string handMade(const Bytes& name, std::uint16_t lengthWord, const Bytes& body,
                     int nameLengthByte = -1) {
    std::string file = "**TI85**\x1a\x0c";
    file += '\0';
    file += std::string(42, ' ');
    file += std::string(7, '\0'); // data-section length, header length, data length, type
    file += static_cast<char>(nameLengthByte < 0 ? name.size() : nameLengthByte);
    file += name;
    file += std::string(2, '\0'); // repeated data length: not read
    file += static_cast<char>(lengthWord & 0xFF);
    file += static_cast<char>(lengthWord >> 8);
    file += body;
    file += std::string(2, '\0'); // checksum: not read
    return file;
}

// A well-formed body: 00 EF, the text, 00 00, with its length word.
std::string scrollet(const Bytes& name, const Bytes& lfText) {
    return handMade(name, static_cast<std::uint16_t>(lfText.size() + 4),
                    Bytes("\0\xEF", 2) + lfText + Bytes(2, '\0'));
}

} // namespace

TEST(DecodeStringFile, ReadsTheWorkedExample) {
    const std::string file = scrollet("note", "AB\nC");
    ASSERT_EQ(static_cast<unsigned char>(file[60]), 4);
    ASSERT_EQ(file.substr(67, 2), Bytes("\x08\x00", 2));
    ASSERT_EQ(file.substr(69, 2), Bytes("\x00\xEF", 2));
    const StringDecode d = decodeStringFile(file);
    ASSERT_EQ(d.status, Status::Accepted);
    EXPECT_EQ(d.name, "note");
    EXPECT_EQ(d.text, "AB\r\nC");
}

TEST(DecodeStringFile, DropsNulsAndTurnsEveryLfIntoCrLf) {
    // A stored CR LF gains a CR; a lone CR stays; a NUL joins its neighbours.
    const StringDecode d = decodeStringFile(scrollet("x", Bytes("a\0b\r\nc\rd\n\n", 10)));
    ASSERT_EQ(d.status, Status::Accepted);
    EXPECT_EQ(d.text, "ab\r\r\nc\rd\r\n\r\n");
}

TEST(DecodeStringFile, EmptyBodiesGiveAnEmptyText) {
    EXPECT_EQ(decodeStringFile(scrollet("e", "")).text, "");
    // L = 2: nothing is read after the marker.
    const StringDecode two = decodeStringFile(handMade("e", 2, Bytes("\0\xEF", 2) + "junk"));
    ASSERT_EQ(two.status, Status::Accepted);
    EXPECT_EQ(two.text, "");
}

TEST(DecodeStringFile, LowerCasesTheNameWithoutCuttingIt) {
    EXPECT_EQ(decodeStringFile(scrollet("NOTES", "")).name, "notes");
    EXPECT_EQ(decodeStringFile(scrollet("ABCDEFGHIJ", "")).name, "abcdefghij");
    EXPECT_EQ(decodeStringFile(scrollet("", "t")).name, "");
}

TEST(DecodeStringFile, JudgesOnlyTheMarkerByte) {
    std::string file = scrollet("abc", "text");
    file.replace(0, 8, "garbage!"); // signature
    file[59] = 0x05;                // type
    file[53] = file[54] = '\x7F';   // data-section length
    file[file.size() - 1] ^= 0x55;  // checksum
    file += "trailing bytes";
    const StringDecode d = decodeStringFile(file);
    EXPECT_EQ(d.status, Status::Accepted);
    EXPECT_EQ(d.text, "text");

    file[66 + 3] = '\xEE';
    EXPECT_EQ(decodeStringFile(file).status, Status::Refused);
}

TEST(DecodeStringFile, UnusableLengthWordsFailButOnlyAfterTheMarker) {
    for (const std::uint16_t word : {0x0000, 0x0001, 0x8000, 0xFFFF}) {
        SCOPED_TRACE(word);
        const StringDecode withMarker = decodeStringFile(handMade("n", word, Bytes("\0\xEF", 2)));
        EXPECT_EQ(withMarker.status, Status::Failed);
        EXPECT_FALSE(withMarker.reason.empty());
        EXPECT_EQ(decodeStringFile(handMade("n", word, Bytes("\0\x01", 2))).status,
                  Status::Refused);
    }
    // The largest word reads 32765 bytes, zero-filled past the file's end.
    const StringDecode big = decodeStringFile(handMade("n", 0x7FFF, Bytes("\0\xEF", 2) + "tail"));
    ASSERT_EQ(big.status, Status::Accepted);
    EXPECT_EQ(big.text, "tail");
}

TEST(DecodeStringFile, NamesBeyondTheReadablePositions) {
    const Bytes body = Bytes("\0\xEF", 2) + "hi" + Bytes(2, '\0');
    const StringDecode n187 = decodeStringFile(handMade(Bytes(187, 'a'), 6, body));
    ASSERT_EQ(n187.status, Status::Accepted);
    EXPECT_EQ(n187.name, Bytes(187, 'a'));
    EXPECT_EQ(n187.text, "hi");
    // 188: the marker at offset 254 is still checked, the text is out of reach.
    EXPECT_EQ(decodeStringFile(handMade(Bytes(188, 'a'), 6, body)).status, Status::Failed);
    EXPECT_EQ(decodeStringFile(handMade(Bytes(188, 'a'), 6, Bytes("\0\x00hi", 4))).status,
              Status::Refused);
    // 189 and more: the marker is never looked at, so no message either way.
    for (const int n : {189, 200, 255}) {
        EXPECT_EQ(decodeStringFile(handMade(Bytes(n, 'a'), 6, body)).status, Status::Failed);
        EXPECT_EQ(decodeStringFile(handMade(Bytes(n, 'a'), 6, Bytes(4, '\0'))).status,
                  Status::Failed);
    }
}

TEST(DecodeStringFile, EveryPrefixIsRefusedOrReadsAPrefixOfTheText) {
    const Bytes lfText = "line one\nline two\rthree\n";
    const std::string file = scrollet("prefix", lfText);
    const StringDecode whole = decodeStringFile(file);
    ASSERT_EQ(whole.status, Status::Accepted);
    const std::size_t markerEnd = 66 + 6 + 1;
    for (std::size_t size = 0; size <= file.size(); ++size) {
        SCOPED_TRACE(size);
        const StringDecode d = decodeStringFile(std::string_view(file).substr(0, size));
        if (size < markerEnd) {
            EXPECT_EQ(d.status, Status::Refused);
        } else {
            ASSERT_EQ(d.status, Status::Accepted);
            EXPECT_EQ(d.name, "prefix");
            EXPECT_TRUE(whole.text.starts_with(d.text));
        }
    }
}

TEST(DecodeStringFile, RandomBytesNeverBreakIt) {
    std::mt19937 random(85);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string file(random() % 400, '\0');
        for (char& c : file) {
            c = static_cast<char>(random());
        }
        if (round % 2 == 0 && file.size() > 70) {
            file[60] = static_cast<char>(random() % 4); // short names, so the marker matters
            file[66 + static_cast<unsigned char>(file[60])] = '\xEF';
        }
        const StringDecode d = decodeStringFile(file);
        if (d.accepted()) {
            ++accepted;
            EXPECT_EQ(d.text.find('\0'), Bytes::npos);
            EXPECT_LE(d.text.size(), 2 * 32765u);
        } else if (d.status == Status::Failed) {
            EXPECT_FALSE(d.reason.empty());
        }
    }
    EXPECT_GT(accepted, 0);
}

namespace {

struct LoadStringTest : EditorFixture {
    // Puts a modified document with some history in place, to see what a
    // load changes and what it leaves.
    void editSomething() {
        doc.DocPath = folder / "earlier.vlm";
        doc.setText("earlier text");
        doc.VarName = "earlier";
        doc.DocTitle = "earlier";
        doc.RefreshStatus();
    }
};

} // namespace

TEST_F(LoadStringTest, ALoadMakesAnUnboundModifiedDocument) {
    editSomething();
    doc.HasPath = true;
    doc.IsSaved = true;
    const std::string path = folder / "Notes.85S";
    writeBytes(path, scrollet("NOTES", "one\ntwo"));

    const LoadResult r = editor.LoadString(path, "notes");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(doc.text(), "one\r\ntwo");
    EXPECT_EQ(doc.VarName, "notes");
    EXPECT_EQ(doc.DocTitle, "notes");
    EXPECT_EQ(doc.DocPath, folder / "earlier.vlm");
    EXPECT_FALSE(doc.IsSaved);
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.lblSave(), "MODIFIED");
    EXPECT_EQ(doc.lblFileName(), "notes");
    EXPECT_EQ(doc.lblSize(), "Data Size: 9");
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(LoadStringTest, ALongNameIsCutByTheRefresh) {
    const std::string path = folder / "long.85s";
    writeBytes(path, scrollet("ABCDEFGHIJ", "x"));
    ASSERT_TRUE(editor.LoadString(path, "long").ok());
    EXPECT_EQ(doc.VarName, "abcdefgh");
    EXPECT_EQ(doc.nameBox(), "abcdefgh");
}

TEST_F(LoadStringTest, SameTextStillEndsModified) {
    const std::string path = folder / "same.85s";
    writeBytes(path, scrollet("same", ""));
    ASSERT_TRUE(doc.IsSaved);
    ASSERT_TRUE(editor.LoadString(path, "same").ok());
    EXPECT_FALSE(doc.IsSaved);
    EXPECT_EQ(doc.lblSave(), "MODIFIED");
}

TEST_F(LoadStringTest, RefusalShowsTheMessageAndChangesNothing) {
    editSomething();
    const auto before = snapshot();
    for (const std::string& bytes : {scrollet("abc", "x").replace(69, 1, "\x01"), std::string()}) {
        const std::string path = folder / "bad.85s";
        writeBytes(path, bytes);
        const LoadResult r = editor.LoadString(path, "bad");
        EXPECT_EQ(r.status, LoadResult::Status::Refused);
        EXPECT_EQ(snapshot(), before);
    }
    ASSERT_EQ(boxes.errors.size(), 2u);
    EXPECT_EQ(boxes.errors[0].message, "Not a valid 'Scrollet' String.");
    EXPECT_EQ(boxes.errors[0].title, "Error");
}

TEST_F(LoadStringTest, AMissingFileIsRefusedAndNotCreated) {
    const std::string path = folder / "nothing.85s";
    EXPECT_EQ(editor.LoadString(path, "nothing").status, LoadResult::Status::Refused);
    EXPECT_EQ(boxes.errors.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LoadStringTest, UnreadableFilesFailSilentlyWithAReason) {
    editSomething();
    const auto before = snapshot();
    const LoadResult folderResult = editor.LoadString(folder.path().string(), "x");
    EXPECT_EQ(folderResult.status, LoadResult::Status::Failed);
    EXPECT_FALSE(folderResult.reason.empty());

    const std::string path = folder / "zero.85s";
    writeBytes(path, handMade("z", 0, Bytes("\0\xEF", 2)));
    EXPECT_EQ(editor.LoadString(path, "zero").status, LoadResult::Status::Failed);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(LoadStringTest, OversizedFilesAreReadOnlyAsFarAsNeeded) {
    // A sound string file followed by 150 MB (a hole, so the test stays fast):
    // the reader stops after the text.
    const std::string path = folder / "huge.85s";
    writeBytes(path, scrollet("huge", "small text"));
    std::filesystem::resize_file(path, 150u << 20);
    ASSERT_TRUE(editor.LoadString(path, "huge").ok());
    EXPECT_EQ(doc.text(), "small text");

    // A 40 KB file of text: 32765 bytes are taken, the rest ignored.
    const std::string big = folder / "big.85s";
    writeBytes(big, handMade("b", 0x7FFF, Bytes("\0\xEF", 2) + std::string(40000, 'q')));
    ASSERT_TRUE(editor.LoadString(big, "big").ok());
    EXPECT_EQ(doc.text(), std::string(32765, 'q'));
}

namespace {

struct LoadStringCommandTest : LoadStringTest {};

} // namespace

TEST_F(LoadStringCommandTest, ShowsTheStringDialogAndTitlesTheDocument) {
    const std::string path = folder / "my.Notes.85S";
    writeBytes(path, scrollet("n", "t"));
    dlgFile.choose(path);
    editor.cmdLoadS_Click();
    ASSERT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_FALSE(dlgFile.shown[0].save);
    EXPECT_EQ(dlgFile.shown[0].settings.title, "Load String");
    EXPECT_EQ(dlgFile.shown[0].settings.filter, "TI-85 Strings|*.85s|All Files|*.*");
    EXPECT_EQ(dlgFile.shown[0].settings.fileName, "");
    EXPECT_TRUE(dlgString.shown.empty());
    EXPECT_EQ(doc.DocTitle, "my");
    EXPECT_EQ(doc.text(), "t");
}

TEST_F(LoadStringCommandTest, CancelNoDotAndFailuresChangeNothingSilently) {
    editSomething();
    boxes.answers = {Answer::No, Answer::No, Answer::No};
    const auto before = snapshot();
    const std::string noDot = folder / "README";
    writeBytes(noDot, scrollet("n", "t"));
    const std::string zero = folder / "zero.85s";
    writeBytes(zero, handMade("z", 0xFFFF, Bytes("\0\xEF", 2)));

    dlgFile.cancel();
    editor.cmdLoadS_Click();
    dlgFile.choose(noDot);
    editor.cmdLoadS_Click();
    dlgFile.choose(zero);
    editor.cmdLoadS_Click();
    EXPECT_EQ(dlgFile.shown.size(), 3u);
    EXPECT_EQ(boxes.questions.size(), 3u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(LoadStringCommandTest, AsksBeforeReplacingUnsavedText) {
    editSomething(); // modified, never saved: Save would ask for a file
    const std::string path = folder / "s.85s";
    writeBytes(path, scrollet("s", "loaded"));
    const auto before = snapshot();

    // Cancel: no dialog, nothing changed.
    boxes.answers = {Answer::Cancel};
    editor.cmdLoadS_Click();
    EXPECT_TRUE(dlgFile.shown.empty());
    EXPECT_EQ(snapshot(), before);

    // Yes, but the save dialog is cancelled: the text stays.
    boxes.answers = {Answer::Yes};
    dlgFile.cancel();
    editor.cmdLoadS_Click();
    ASSERT_EQ(dlgFile.shown.size(), 1u);
    EXPECT_TRUE(dlgFile.shown[0].save);
    EXPECT_EQ(snapshot(), before);

    // No: the load goes ahead.
    boxes.answers = {Answer::No};
    dlgFile.choose(path);
    editor.cmdLoadS_Click();
    EXPECT_EQ(doc.text(), "loaded");
    EXPECT_EQ(boxes.questions.size(), 3u);
    EXPECT_EQ(boxes.questions[0].message, "File Unsaved. Save Now?");
}

TEST_F(LoadStringCommandTest, YesSavesFirstThenLoads) {
    editSomething();
    const std::string saved = folder / "kept.txt";
    const std::string path = folder / "s.85s";
    writeBytes(path, scrollet("s", "loaded"));
    boxes.answers = {Answer::Yes};
    dlgFile.choose(saved);
    dlgFile.choose(path);
    editor.cmdLoadS_Click();
    EXPECT_EQ(readBytes(saved), "earlier text\r\n");
    EXPECT_EQ(doc.text(), "loaded");
}
