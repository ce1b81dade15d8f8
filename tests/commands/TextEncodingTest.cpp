// Text files from the rest of the desktop (UTF-8, LF) and from older versions
// of the editor (calculator bytes, CR LF): what a load holds, what a save
// writes, and that a second load gives the same bytes.
#include "commands/Messages.h"
#include "formats/TextDocument.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::writeBytes;

namespace {

struct FileCase {
    const char* name;
    std::string file;
    Bytes held;        // after a load: the name line of a .vlm, then the text
    std::string saved; // what Save writes back
    TextEncoding encoding;
    std::size_t replaced;
    std::size_t lost = 0; // folded or replaced: the first Save asks about them
};

constexpr TextEncoding kUtf8 = TextEncoding::Utf8;
constexpr TextEncoding kCalc = TextEncoding::Calculator;

// Quotes and a dash fold; the euro sign and a CJK character become "?" (the
// "?" that was there already is not counted). Printable ASCII reads the same
// either way and counts as UTF-8; a tab or another control code does not.
const FileCase kFiles[] = {
    {"lf.txt", "sin \xCE\xB8\n\xCF\x80r\xC2\xB2\n", "sin \xC1\r\n\xC4r\x12",
     "sin \xCE\xB8\r\n\xCF\x80r\xC2\xB2\r\n", kUtf8, 0},
    {"crlf.txt", "a\xE2\x86\x92\x62\r\nc\xE2\x89\xA0\r\rd", "a\x1C\x62\r\nc\x18\r\n\r\nd",
     "a\xE2\x86\x92\x62\r\nc\xE2\x89\xA0\r\n\r\nd\r\n", kUtf8, 0},
    {"bom.txt", "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", "\x96t\x96", "\xC3\xA9t\xC3\xA9\r\n", kUtf8, 0},
    {"fold.txt", "\xE2\x80\x9Cx\xE2\x80\x9D\xE2\x80\x94y? \xE2\x82\xAC \xE4\xB8\xAD\n",
     "\"x\"-y? ? ?", "\"x\"-y? ? ?\r\n", kUtf8, 2, 5},
    {"latin1.txt", "caf\xE9\nna\xEFve", "caf\xE9\r\nna\xEFve", "caf\xE9\r\nna\xEFve\r\n", kCalc, 0},
    {"older.vlm", "Old\r\n\x80\xC1\xFF\r\n\x10x\r\n", "Old\r\n\x80\xC1\xFF\r\n\x10x",
     "Old\r\n\x80\xC1\xFF\r\n\x10x\r\n", kCalc, 0},
    {"theta.vlm", "\xCE\xB8\x65ta\nbody\n", "\xC1\x65ta\r\nbody", "\xCE\xB8\x65ta\r\nbody\r\n",
     kUtf8, 0},
    {"ascii.txt", "one\ntwo", "one\r\ntwo", "one\r\ntwo\r\n", kUtf8, 0},
    // Overlong forms and surrogates are no UTF-8: calculator codes.
    {"strict.txt", "\xC0\xAF\xED\xA0\x80", "\xC0\xAF\xED\xA0\x80", "\xC0\xAF\xED\xA0\x80\r\n",
     kCalc, 0},
    {"tab.txt", "a\tb\x10\n", "a\tb\x10", "a\tb\x10\r\n", kCalc, 0},
};

struct TextEncodingTest : vellum::support::EditorFixture {
    Bytes loadHeld(const std::string& path) {
        dlgFile.choose(path);
        (void)editor.cmdLoad_Click();
        return (isVellumPath(path) ? doc.VarName + "\r\n" : "") + doc.text();
    }
};

} // namespace

TEST_F(TextEncodingTest, FilesLoadSaveAndLoadAgain) {
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / c.name;
        writeBytes(path, c.file);
        boxes.warnings.clear();
        EXPECT_EQ(loadHeld(path), c.held);
        EXPECT_EQ(doc.Encoding, c.encoding);
        EXPECT_TRUE(boxes.errors.empty());
        EXPECT_EQ(editor.replacedByLastLoad(), c.replaced);
        ASSERT_EQ(boxes.warnings.size(), c.replaced > 0 ? 1u : 0u);
        if (c.replaced > 0) {
            EXPECT_EQ(boxes.warnings[0].message, messages::replacedCharacters(c.replaced));
            EXPECT_EQ(boxes.warnings[0].title, messages::kReplacedTitle);
        }
        EXPECT_EQ(editor.charactersLostBySave(), c.lost);
        boxes.answers = {Answer::Yes};
        (void)editor.cmdSave_Click();
        EXPECT_EQ(boxes.yesNo.size(), c.lost > 0 ? 1u : 0u);
        boxes.yesNo.clear();
        EXPECT_EQ(readBytes(path), c.saved);
        EXPECT_EQ(loadHeld(path), c.held);
        EXPECT_EQ(doc.Encoding, c.encoding);
    }
}

TEST_F(TextEncodingTest, EveryByteComesBackInBothEncodings) {
    Bytes every;
    for (int b = 1; b < 256; ++b) {
        every.push_back(static_cast<char>(b));
    }
    // Calculator bytes hold CR and LF only as a line end.
    Bytes paired = every;
    std::erase_if(paired, [](char c) { return c == '\r' || c == '\n'; });
    paired.insert(40, "\r\n");
    for (const auto& [encoding, text] : {std::pair{kUtf8, every}, std::pair{kCalc, paired}}) {
        doc.setText(text + "\r\n");
        doc.Encoding = encoding;
        dlgFile.choose(folder / "every.txt");
        (void)editor.cmdSaveAs_Click();
        ASSERT_TRUE(editor.LoadText(folder / "every.txt", "every").ok());
        EXPECT_EQ(doc.text(), text + "\r\n");
        EXPECT_EQ(doc.Encoding, encoding);
    }
}
