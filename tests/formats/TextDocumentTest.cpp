#include "formats/TextDocument.h"
#include "core/TextBox.h"
#include "formats/StringFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

TEST(TextDocumentFormat, TheClosingLineEndIsNoPartOfTheText) {
    const auto plain = parseTextDocument("Hello\r\nworld", false);
    ASSERT_TRUE(plain.ok());
    EXPECT_FALSE(plain.value().name);
    EXPECT_EQ(plain.value().text, "Hello\r\nworld");
    EXPECT_EQ(parseTextDocument("Hello\r\nworld\r\n", false).value().text, "Hello\r\nworld");
    EXPECT_EQ(parseTextDocument("Hello\r\n\r\n", false).value().text, "Hello\r\n");
    // LF-only line ends, as the rest of the desktop writes them.
    EXPECT_EQ(parseTextDocument("a\nb\n", false).value().text, "a\r\nb");
    const auto vellum = parseTextDocument("a\nb\n", true);
    EXPECT_EQ(vellum.value().name, "a");
    EXPECT_EQ(vellum.value().text, "b");
    // A lone CR ends a line.
    EXPECT_EQ(parseTextDocument("x\ry\r", false).value().text, "x\r\ny");
    EXPECT_EQ(parseTextDocument("", false).value().text, "");
    EXPECT_EQ(parseTextDocument("\r\n", false).value().text, "");
    EXPECT_FALSE(parseTextDocument("", true).ok());
    EXPECT_EQ(parseTextDocument("\r\n", true).value().name, "");
    EXPECT_EQ(parseTextDocument("n\r\n\r\n", true).value().text, "");
}

TEST(TextDocumentFormat, SavedBytes) {
    EXPECT_EQ(formatTextDocument("greet", "Hello", true), "greet\r\nHello\r\n");
    EXPECT_EQ(formatTextDocument("greet", "Hello", false), "Hello\r\n");
    EXPECT_EQ(formatTextDocument("", "", true), "\r\n\r\n");
    // The closing CR LF is always written: a final line break of the text is
    // a line of its own.
    EXPECT_EQ(formatTextDocument("g", "Hello\r\n", true), "g\r\nHello\r\n\r\n");
    // A file of calculator codes cannot hold a lone CR or LF, nor bytes that
    // read as UTF-8: such a text is written as UTF-8.
    EXPECT_EQ(formatTextDocument("g", "\xC1", false, TextEncoding::Calculator), "\xC1\r\n");
    EXPECT_EQ(formatTextDocument("g", "Hello\r", false, TextEncoding::Calculator),
              formatTextDocument("g", "Hello\r", false, TextEncoding::Utf8));
    EXPECT_EQ(formatTextDocument("g", "\xC3\xA9", false, TextEncoding::Calculator),
              formatTextDocument("g", "\xC3\xA9", false, TextEncoding::Utf8));
}

TEST(TextDocumentFormat, SaveThenLoadGivesTheTextBackByteForByte) {
    // Every mix of CR, LF, a letter, a high byte and NUL up to five bytes,
    // in both encodings, as a Vellum document and as plain text.
    const char alphabet[] = {'\r', '\n', 'a', '\xC1', '\0'};
    constexpr int kSymbols = sizeof alphabet;
    for (int size = 0; size <= 5; ++size) {
        int combinations = 1;
        for (int i = 0; i < size; ++i) {
            combinations *= kSymbols;
        }
        for (int code = 0; code < combinations; ++code) {
            Bytes text;
            for (int i = 0, c = code; i < size; ++i, c /= kSymbols) {
                text += alphabet[c % kSymbols];
            }
            for (const bool vellum : {false, true}) {
                for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Calculator}) {
                    const Bytes file = formatTextDocument("n", text, vellum, encoding);
                    const auto loaded = parseTextDocument(file, vellum);
                    ASSERT_TRUE(loaded.ok());
                    EXPECT_EQ(loaded.value().text, text) << ::testing::PrintToString(text);
                    EXPECT_EQ(formatTextDocument("n", loaded.value().text, vellum,
                                                 loaded.value().encoding),
                              file);
                }
            }
        }
    }
}

// One byte anywhere in a long text (before, on and after a 64-byte block's
// edge, and in the tail) decides the encoding as it would alone.
TEST(TextDocumentFormat, OneByteAnywhereDecidesTheEncoding) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
    } odd[] = {
        {"b", TextEncoding::Utf8},
        {"\n", TextEncoding::Utf8},
        {"\t", TextEncoding::Calculator},
        {"\x7F", TextEncoding::Calculator},
        {"\xC1", TextEncoding::Calculator},
        {"\xCE\xB8", TextEncoding::Utf8},
        {std::string(1, '\0'), TextEncoding::Utf8}, // NUL reads the same both ways
    };
    for (const auto& [bytes, encoding] : odd) {
        for (const std::size_t at : {0, 62, 63, 64, 127, 129}) {
            const std::string text = std::string(at, 'a') + bytes + std::string(130 - at, 'a');
            EXPECT_EQ(detectEncoding(text, std::nullopt), encoding)
                << ::testing::PrintToString(bytes) << " at " << at;
        }
    }
}

// Long texts of CR, LF and a letter: lines, the longest line, the string
// body, the character count and the document's name and text as a
// byte-by-byte reading gives them.
TEST(TextDocumentFormat, LongTextsSplitAsByteByByte) {
    std::mt19937 random(85);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 60, 'a');
        for (char& c : text) {
            c = "\r\na"[random() % 3];
        }
        Lines split{""};
        std::string lf;
        std::size_t longest = 0;
        for (std::size_t i = 0, start = 0; i <= text.size(); ++i) {
            const bool pair = i + 1 < text.size() && text.compare(i, 2, "\r\n") == 0;
            if (i == text.size() || pair) {
                longest = std::max(longest, i - start);
                start = i + 2;
            }
            if (i < text.size() && (text[i] == '\r' || text[i] == '\n')) {
                split.emplace_back();
            } else if (i < text.size()) {
                split.back() += text[i];
            }
            lf += i < text.size() && !pair ? text.substr(i, 1) : "";
            i += pair ? 1 : 0;
            lf += pair ? "\n" : "";
        }
        if (split.back().empty()) {
            split.pop_back();
        }
        ASSERT_EQ(lines(text), split) << ::testing::PrintToString(text);
        ASSERT_EQ(longestLine(text), longest) << ::testing::PrintToString(text);
        ASSERT_EQ(toLfLineEnds(text), lf) << ::testing::PrintToString(text);
        ASSERT_EQ(countCharacters(text), lf.size()) << ::testing::PrintToString(text);
        const auto joined = [&](std::size_t from) {
            std::string out;
            for (std::size_t i = from; i < split.size(); ++i) {
                out += (i > from ? "\r\n" : "") + split[i];
            }
            return out;
        };
        ASSERT_EQ(parseTextDocument(text, false).value().text, joined(0))
            << ::testing::PrintToString(text);
        const auto vellum = parseTextDocument(text, true);
        ASSERT_EQ(vellum.ok(), !text.empty()) << ::testing::PrintToString(text);
        if (vellum.ok()) {
            ASSERT_EQ(vellum.value().name, split.empty() ? "" : split[0])
                << ::testing::PrintToString(text);
            ASSERT_EQ(vellum.value().text, joined(1)) << ::testing::PrintToString(text);
        }
    }
}
