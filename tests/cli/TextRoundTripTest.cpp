// Save then Load gives back the text that was saved, byte for byte, in either
// encoding and either kind of document; and vellum-cli compiles the saved file
// into a string that ends where the text ends.

#include "formats/StringFile.h"

#include "tests/cli/ReaderCliFixture.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::support::readBytes;

using TextRoundTripTest = vellum::support::ReaderCliFixture;

TEST_F(TextRoundTripTest, SaveLoadThreeTimesThenCompile) {
    const Bytes texts[] = {
        "",           "Hello",        "Hello\r\n",       "two\r\nlines", "\r\n",
        "\r\n\r\n",   "a\rb",         "a\nb\r\n",        "\r",           "\n\r",
        "x\r\n\ry\n", "\xC1\r\n\xC1", "end\r\n\r\n\r\n", "\r\r\n\n",
    };
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Calculator}) {
        for (const char* name : {"doc.vlm", "doc.txt"}) {
            for (const Bytes& text : texts) {
                SCOPED_TRACE(::testing::PrintToString(text) + " " + name +
                             (encoding == TextEncoding::Utf8 ? " UTF-8" : " TI-85"));
                const std::string path = folder / name;
                (void)editor.cmdNew_Click();
                doc.Encoding = encoding;
                type(text);
                doc.VarName = "cycle";
                dlgFile.choose(path);
                ASSERT_TRUE(isDone(editor.cmdSave_Click()));
                const std::string saved = readBytes(path);
                for (int round = 0; round < 3; ++round) {
                    ASSERT_TRUE(isDone(editor.LoadText(path, "doc")));
                    EXPECT_EQ(doc.text(), text);
                    ASSERT_TRUE(isDone(editor.cmdSave_Click()));
                    EXPECT_EQ(readBytes(path), saved);
                }

                const std::string out = folder / "doc.85s";
                ASSERT_EQ(run(cli::compile, {path, "-o", out}).status, 0);
                const Bytes data = buildStringData(text);
                const std::string file = readBytes(out);
                const std::size_t n = file.size() - data.size() - stringfile::kFixedBytes;
                EXPECT_EQ(n, std::string(name) == "doc.vlm" ? 5u : 3u);
                EXPECT_EQ(file.substr(stringfile::dataOffset(n), data.size()), data);
            }
        }
    }
}
