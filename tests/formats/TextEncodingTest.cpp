// Text files from the rest of the desktop (UTF-8, LF) and from older versions
// of the editor (calculator bytes, CR LF): what a load holds, what a save
// writes, and that a second load gives the same bytes.
#include "formats/TextDocument.h"

#include "ReaderFakes.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::testing::EditorFixture;
using vellum::testing::readBytes;
using vellum::testing::writeBytes;

namespace {

struct FileCase {
    const char* name;
    std::string file;
    Bytes held;        // the document's text after the load
    Bytes varName;     // for a .vlm
    std::string saved; // what Save writes back
    TextEncoding encoding;
    std::size_t replaced;
};

const FileCase kFiles[] = {
    {"utf8-lf.txt", "sin \xCE\xB8\n\xCF\x80r\xC2\xB2\n", "sin \xC1\r\n\xC4r\x12\r\n", "",
     "sin \xCE\xB8\r\n\xCF\x80r\xC2\xB2\r\n", TextEncoding::Utf8, 0},
    {"utf8-crlf.txt",
     "a\xE2\x86\x92"
     "b\r\nc\xE2\x89\xA0\r\rd",
     "a\x1C"
     "b\r\nc\x18\r\n\r\nd\r\n",
     "",
     "a\xE2\x86\x92"
     "b\r\nc\xE2\x89\xA0\r\n\r\nd\r\n",
     TextEncoding::Utf8, 0},
    {"bom.txt", "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", "\x96t\x96\r\n", "", "\xC3\xA9t\xC3\xA9\r\n",
     TextEncoding::Utf8, 0},
    // Quotes and a dash fold; the euro sign and a CJK character become "?",
    // the "?" that was there already is not counted.
    {"fold.txt", "\xE2\x80\x9Cx\xE2\x80\x9D\xE2\x80\x94y? \xE2\x82\xAC \xE4\xB8\xAD\n",
     "\"x\"-y? ? ?\r\n", "", "\"x\"-y? ? ?\r\n", TextEncoding::Utf8, 2},
    {"latin1.txt", "caf\xE9\nna\xEFve\n", "caf\xE9\r\nna\xEFve\r\n", "", "caf\xE9\r\nna\xEFve\r\n",
     TextEncoding::Calculator, 0},
    {"older.vlm", "Old\r\n\x80\x81\xC1\xFF\r\n\x10x\r\n", "\x80\x81\xC1\xFF\r\n\x10x\r\n", "Old",
     "Old\r\n\x80\x81\xC1\xFF\r\n\x10x\r\n", TextEncoding::Calculator, 0},
    {"theta.vlm",
     "\xCE\xB8"
     "eta\nbody\n",
     "body\r\n",
     "\xC1"
     "eta",
     "\xCE\xB8"
     "eta\r\nbody\r\n",
     TextEncoding::Utf8, 0},
    // Printable ASCII reads the same either way and is written as UTF-8; a
    // tab or another control code is a calculator code.
    {"ascii.txt", "one\ntwo", "one\r\ntwo\r\n", "", "one\r\ntwo\r\n", TextEncoding::Utf8, 0},
    {"tab.txt", "a\tb\x10\n", "a\tb\x10\r\n", "", "a\tb\x10\r\n", TextEncoding::Calculator, 0},
};

struct TextEncodingTest : EditorFixture {
    void load(const std::string& path) {
        dlgFile.choose(path);
        editor.cmdLoad_Click();
    }
};

} // namespace

TEST_F(TextEncodingTest, FilesLoadSaveAndLoadAgain) {
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / c.name;
        writeBytes(path, c.file);
        boxes.errors.clear();
        load(path);
        EXPECT_EQ(doc.text(), c.held);
        EXPECT_EQ(doc.Encoding, c.encoding);
        if (isVellumPath(path)) {
            EXPECT_EQ(doc.VarName, c.varName);
        }
        ASSERT_EQ(boxes.errors.size(), c.replaced > 0 ? 1u : 0u);
        if (c.replaced > 0) {
            EXPECT_EQ(boxes.errors[0].message, replacedCharactersMessage(c.replaced));
        }

        editor.cmdSave_Click();
        EXPECT_EQ(readBytes(path), c.saved);
        load(path);
        EXPECT_EQ(doc.text(), c.held);
        EXPECT_EQ(doc.Encoding, c.encoding);
    }
}

TEST_F(TextEncodingTest, EveryByteComesBackInBothEncodings) {
    Bytes every;
    for (int b = 1; b < 256; ++b) {
        every.push_back(static_cast<char>(b));
    }
    // Calculator bytes carry a line end only as itself: CR and LF as a pair.
    Bytes paired = every;
    std::erase_if(paired, [](char c) { return c == '\r' || c == '\n'; });
    paired.insert(40, "\r\n");
    for (const auto& [encoding, text] :
         {std::pair{TextEncoding::Utf8, every}, std::pair{TextEncoding::Calculator, paired}}) {
        doc.cmdNew_Click();
        doc.setText(text + "\r\n");
        doc.Encoding = encoding;
        dlgFile.choose(folder / "every.txt");
        editor.cmdSaveAs_Click();
        ASSERT_TRUE(editor.LoadText(folder / "every.txt", "every").ok());
        EXPECT_EQ(doc.text(), text + "\r\n");
        EXPECT_EQ(doc.Encoding, encoding);
    }
}

TEST(TextEncoding, DetectionAndMessages) {
    EXPECT_TRUE(isUtf8Text("\xCE\xB8"));
    // Plain ASCII, overlong forms, surrogates, cut-off sequences: calculator bytes.
    for (const char* bytes : {"abc", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x86", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(isUtf8Text(bytes)) << bytes;
    }
    EXPECT_EQ(replacedCharactersMessage(1), "1 character has no TI-85 equivalent and became ?");
    EXPECT_EQ(replacedCharactersMessage(3), "3 characters have no TI-85 equivalent and became ?");
    // Forced UTF-8 over bytes that are not: each bad sequence is one "?".
    const auto forced = parseTextDocument("a\xFF\xE2\x86z", false, TextEncoding::Utf8);
    EXPECT_EQ(forced->text, "a??z\r\n");
    EXPECT_EQ(forced->replaced, 2u);
}
