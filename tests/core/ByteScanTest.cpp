// The word-at-a-time searches against the library's, over texts that put line
// ends, their high-bit twins and a borrow's worst cases at every offset.

#include "core/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vellum;

TEST(ByteScan, FindsWhatTheLibraryFinds) {
    std::mt19937 random(85);
    const std::string alphabet("\r\na\0\x01\x0C\x0E\x8D\x8A\xFF\x7F", 11);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        const std::string_view view(text);
        for (std::size_t from = 0; from <= text.size(); ++from) {
            for (const char byte : {'\r', '\n', '\0', '\xFF'}) {
                ASSERT_EQ(bytescan::find(text, from, byte), view.find(byte, from))
                    << ::testing::PrintToString(text) << " from " << from;
            }
            ASSERT_EQ(bytescan::findLineBreak(text, from), view.find_first_of("\r\n", from))
                << ::testing::PrintToString(text) << " from " << from;
        }
    }
}
