// The word-at-a-time searches against a byte-by-byte one, over texts that
// put line ends, their high-bit twins and a carry's worst cases (NUL, 0xFF)
// at every offset of a word.

#include "core/ByteScan.h"
#include "core/TextBox.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vellum;

namespace {

std::string randomText(std::mt19937& random) {
    static constexpr char kAlphabet[] = {'\r',   '\n',   'a',    '\0',   '\x01', '\x0C',
                                         '\x0E', '\x8D', '\x8A', '\xFF', '\x7F'};
    std::string text(random() % 40, ' ');
    for (char& c : text) {
        c = kAlphabet[random() % sizeof kAlphabet];
    }
    return text;
}

std::size_t naiveFind(std::string_view text, std::size_t from, bool lineBreak, char byte) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (lineBreak ? text[i] == '\r' || text[i] == '\n' : text[i] == byte) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

TEST(ByteScan, FindsWhatAByteByByteSearchFinds) {
    std::mt19937 random(85);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(random);
        for (std::size_t from = 0; from <= text.size(); ++from) {
            for (const char byte : {'\r', '\n', '\0', '\xFF'}) {
                ASSERT_EQ(bytescan::find(text, from, byte), naiveFind(text, from, false, byte))
                    << ::testing::PrintToString(text) << " from " << from;
            }
            ASSERT_EQ(bytescan::findLineBreak(text, from), naiveFind(text, from, true, 0))
                << ::testing::PrintToString(text) << " from " << from;
        }
        std::size_t pairs = 0;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            pairs += text[i] == '\r' && text[i + 1] == '\n' ? 1 : 0;
        }
        ASSERT_EQ(countCharacters(text), text.size() - pairs) << ::testing::PrintToString(text);
    }
}
