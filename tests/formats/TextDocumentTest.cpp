#include "formats/TextDocument.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

std::vector<std::string> lines(std::string_view bytes) {
    std::vector<std::string> out;
    for (const std::string_view line : splitLines(bytes)) {
        out.emplace_back(line);
    }
    return out;
}

using Lines = std::vector<std::string>;

bool hasLoneCrOrLf(const Bytes& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return true;
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(TextDocumentFormat, LinesEndAtCrLfALoneCrOrALoneLf) {
    EXPECT_EQ(lines(""), Lines{});
    EXPECT_EQ(lines("\r\n"), Lines{""});
    EXPECT_EQ(lines("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("\r\r\n\n\r"), (Lines{"", "", "", ""}));
    EXPECT_EQ(lines("\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(lines("\n\rx"), (Lines{"", "", "x"}));
}

TEST(TextDocumentFormat, VellumPathsAreJudgedByTheirLastThreeCharacters) {
    EXPECT_TRUE(isVellumPath("/home/u/notes.vlm"));
    EXPECT_TRUE(isVellumPath("NOTES.VLM"));
    EXPECT_TRUE(isVellumPath("/tmp/myvlm"));
    EXPECT_TRUE(isVellumPath("vLm"));
    EXPECT_FALSE(isVellumPath("notes.vlm.txt"));
    EXPECT_FALSE(isVellumPath("lm"));
    EXPECT_FALSE(isVellumPath("notes.vl"));
}

TEST(TextDocumentFormat, ParsingAppendsCrLfToEveryLine) {
    const auto plain = parseTextDocument("Hello\r\nworld", false);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->name);
    EXPECT_EQ(plain->text, "Hello\r\nworld\r\n");
    // LF-only line ends, as the rest of the desktop writes them.
    EXPECT_EQ(parseTextDocument("a\nb\n", false)->text, "a\r\nb\r\n");
    const auto vellum = parseTextDocument("a\nb\n", true);
    EXPECT_EQ(vellum->name, "a");
    EXPECT_EQ(vellum->text, "b\r\n");
    // A lone CR comes back as CR LF.
    EXPECT_EQ(parseTextDocument("x\ry", false)->text, "x\r\ny\r\n");
    EXPECT_EQ(parseTextDocument("", false)->text, "");
    EXPECT_FALSE(parseTextDocument("", true));
    EXPECT_EQ(parseTextDocument("\r\n", true)->name, "");
}

TEST(TextDocumentFormat, SavedBytes) {
    EXPECT_EQ(formatTextDocument("greet", "Hello", true), "greet\r\nHello\r\n");
    EXPECT_EQ(formatTextDocument("greet", "Hello", false), "Hello\r\n");
    EXPECT_EQ(formatTextDocument("", "", true), "\r\n\r\n");
    // The closing CR LF is not doubled.
    EXPECT_EQ(formatTextDocument("g", "Hello\r\n", true), "g\r\nHello\r\n");
    EXPECT_EQ(formatTextDocument("g", "Hello\r", false), "Hello\r\r\n");
    EXPECT_EQ(formatTextDocument("g", "Hello\n", false), "Hello\n\r\n");
}

TEST(TextDocumentFormat, FormatThenParseIsAFixedPointAfterOneRound) {
    // Every mix of CR, LF and a letter up to five bytes: after one save and
    // load the text no longer changes (lone CRs and LFs have become line ends).
    const char alphabet[] = {'\r', '\n', 'a'};
    for (int size = 0; size <= 5; ++size) {
        int combinations = 1;
        for (int i = 0; i < size; ++i) {
            combinations *= 3;
        }
        for (int code = 0; code < combinations; ++code) {
            Bytes text;
            for (int i = 0, c = code; i < size; ++i, c /= 3) {
                text += alphabet[c % 3];
            }
            for (const bool vellum : {false, true}) {
                const Bytes once =
                    parseTextDocument(formatTextDocument("n", text, vellum), vellum)->text;
                const Bytes file = formatTextDocument("n", once, vellum);
                const auto again = parseTextDocument(file, vellum);
                EXPECT_EQ(again->text, once) << ::testing::PrintToString(text);
                EXPECT_EQ(formatTextDocument("n", again->text, vellum), file);
                if (!hasLoneCrOrLf(text)) {
                    // Without lone CRs and LFs the first load already gives the text back
                    // (plus the line end Save adds when it is missing).
                    EXPECT_EQ(once, text.ends_with("\r\n") ? text : text + "\r\n");
                }
            }
        }
    }
}
