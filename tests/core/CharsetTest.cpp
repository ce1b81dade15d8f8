#include "core/Charset.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

using vellum::Bytes;
using vellum::Charset;

namespace {

Bytes allBytes() {
    Bytes bytes;
    for (int b = 1; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

} // namespace

TEST(Charset, EveryByteHasItsOwnDisplayCharacterAndBack) {
    std::set<char32_t> seen;
    for (int b = 1; b < 256; ++b) {
        const char32_t ch = Charset::toDisplay(static_cast<std::uint8_t>(b));
        EXPECT_TRUE(seen.insert(ch).second) << "byte " << b << " shares its character";
        ASSERT_TRUE(Charset::fromDisplay(ch).has_value()) << "byte " << b;
        EXPECT_EQ(*Charset::fromDisplay(ch), b);
        EXPECT_EQ(Charset::fromTyped(ch), b);
    }
}

// Every character finds the byte that displays as it, whether it is looked
// up in the table of the first 1024 characters or searched for beyond it.
TEST(Charset, EveryCharacterFindsTheByteThatDisplaysAsIt) {
    for (char32_t ch = 0; ch < 0x3000; ++ch) {
        std::optional<std::uint8_t> expected;
        for (int b = 1; b < 256; ++b) {
            if (Charset::toDisplay(static_cast<std::uint8_t>(b)) == ch) {
                expected = static_cast<std::uint8_t>(b);
            }
        }
        ASSERT_EQ(Charset::fromDisplay(ch), expected) << "U+" << std::hex << static_cast<int>(ch);
    }
}

TEST(Charset, PrintableAsciiDisplaysAsItself) {
    for (char32_t ch = 0x20; ch <= 0x7E; ++ch) {
        EXPECT_EQ(Charset::toDisplay(static_cast<std::uint8_t>(ch)), ch);
    }
}

TEST(Charset, CalculatorSymbolsMapToTheirCodes) {
    EXPECT_EQ(Charset::fromTyped(U'θ'), 0xC1);
    EXPECT_EQ(Charset::fromTyped(U'π'), 0xC4);
    EXPECT_EQ(Charset::fromTyped(U'→'), 0x1C);
    EXPECT_EQ(Charset::fromTyped(U'≤'), 0x17);
    EXPECT_EQ(Charset::fromTyped(U'₀'), 0x80);
    EXPECT_EQ(Charset::fromTyped(U'é'), 0x96);
    EXPECT_EQ(Charset::fromTyped(U'Σ'), 0xC6);
    EXPECT_EQ(Charset::fromTyped(U'√'), 0x10);
}

TEST(Charset, TypedCharactersWithoutAByteFoldOrBecomeQuestionMarks) {
    EXPECT_EQ(Charset::fromTyped(U'’'), '\'');
    EXPECT_EQ(Charset::fromTyped(U'“'), '"');
    EXPECT_EQ(Charset::fromTyped(U'–'), '-');
    EXPECT_EQ(Charset::fromTyped(U'µ'), 0xC3); // micro sign to mu
    EXPECT_EQ(Charset::fromTyped(U'ã'), 'a');
    EXPECT_EQ(Charset::fromTyped(U'Ａ'), 'A'); // full-width
    EXPECT_EQ(Charset::fromTyped(U'\t'), 0x09);
    EXPECT_EQ(Charset::fromTyped(U'中'), '?');
    EXPECT_EQ(Charset::fromTyped(U'\U0001F600'), '?');
    for (char32_t ch = 0; ch < 0x3000; ++ch) {
        ASSERT_NE(Charset::fromTyped(ch), 0) << "U+" << std::hex << static_cast<int>(ch);
    }
}

TEST(Charset, TextRoundTripsWithLoneCarriageReturnsAndLineFeeds) {
    const Bytes samples[] = {
        allBytes(),
        "a\r\nb",
        "\r\r\n\n",
        "\n\r",
        "line\rcr\nlf\r\n\r\nend\r",
        allBytes() + "\r\n" + allBytes(),
    };
    for (const Bytes& bytes : samples) {
        EXPECT_EQ(Charset::encodeText(Charset::decodeText(bytes)), bytes);
    }
}

TEST(Charset, OnlyCrLfPairsBecomeLineBreaks) {
    const std::u32string shown = Charset::decodeText("a\r\nb\rc\nd");
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[1], U'\n');
    EXPECT_NE(shown[3], U'\r'); // a lone CR shows as its own glyph
    EXPECT_NE(shown[5], U'\n'); // and so does a lone LF
    EXPECT_NE(shown[3], shown[5]);
}

TEST(Charset, PastedLineBreaksOfEveryKindBecomeCrLf) {
    EXPECT_EQ(Charset::encodeText(U"a\nb"), "a\r\nb");
    EXPECT_EQ(Charset::encodeText(U"a\r\nb"), "a\r\nb");
    EXPECT_EQ(Charset::encodeText(U"a\u2028b\u2029c"), "a\r\nb\r\nc");
    EXPECT_EQ(Charset::encodeText(std::u32string(U"a\0b", 3)), "a?b");
}

TEST(Charset, LowerCasingStaysInsideTheSet) {
    EXPECT_EQ(Charset::toLower("HeLLo 1"), "hello 1");
    EXPECT_EQ(Charset::toLower(0x92), 0x96); // É -> é
    EXPECT_EQ(Charset::toLower(0xB4), 0xB5); // Ñ -> ñ
    EXPECT_EQ(Charset::toLower(0xC6), 0xC7); // Σ -> σ
    EXPECT_EQ(Charset::toLower(0xBE), 0xBF); // Δ -> δ
    EXPECT_EQ(Charset::toLower(0xCA), 0xCA); // Ω has no lower case on the calculator
    EXPECT_EQ(Charset::toLower(0x0A), 0x0A); // hex digit A is no letter
    for (int b = 1; b < 256; ++b) {
        const auto lower = Charset::toLower(static_cast<std::uint8_t>(b));
        EXPECT_EQ(Charset::toLower(lower), lower) << "byte " << b;
    }
}

TEST(Charset, Utf8RoundTripsAndSurvivesBrokenInput) {
    const std::u32string text = U"aé→\U0001F600\uE0FF";
    EXPECT_EQ(Charset::fromUtf8(Charset::toUtf8(text)), text);
    EXPECT_EQ(Charset::fromUtf8("a\xC3"), U"a\uFFFD");
    EXPECT_EQ(Charset::fromUtf8("\x80z"), U"\uFFFDz");
    EXPECT_EQ(Charset::fromUtf8("\xE2\x28\xA1"), U"\uFFFD(\uFFFD");
}
