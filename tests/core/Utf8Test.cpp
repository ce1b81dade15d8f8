#include "core/Utf8.h"

#include <gtest/gtest.h>

#include <string>

using namespace vellum;

// Each sequence's length is where a decoder picks up again: a whole
// character, or the longest start of one before the byte that breaks it.
TEST(Utf8, ReadsWellFormedSequencesAndResynchronisesAfterTheRest) {
    const struct {
        std::string text;
        std::size_t length;
        bool valid;
        char32_t codePoint;
    } cases[] = {
        {"A", 1, true, U'A'},
        {"\xC3\xA9", 2, true, U'\u00E9'},
        {"\xE2\x86\x92", 3, true, U'\u2192'},
        {"\xF0\x9F\x98\x80", 4, true, U'\U0001F600'},
        {"\xF4\x8F\xBF\xBF", 4, true, U'\U0010FFFF'},
        {"\x80", 1, false, 0},             // a stray continuation byte
        {"\xC0\xAF", 1, false, 0},         // overlong
        {"\xE0\x80\x80", 1, false, 0},     // overlong
        {"\xED\xA0\x80", 1, false, 0},     // a surrogate
        {"\xF4\x90\x80\x80", 1, false, 0}, // past U+10FFFF
        {"\xE2\x86", 2, false, 0},         // cut by the end
        {"\xF0\x9F\x98x", 3, false, 0},    // cut by another character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const utf8::Sequence sequence = utf8::sequenceAt(c.text, 0);
        EXPECT_EQ(sequence.length, c.length);
        EXPECT_EQ(sequence.valid, c.valid);
        if (c.valid) {
            EXPECT_EQ(sequence.codePoint, c.codePoint);
        }
        EXPECT_EQ(utf8::isWellFormed(c.text), c.valid && c.length == c.text.size());
    }
}
