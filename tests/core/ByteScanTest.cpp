// The block-at-a-time searches against the library's and plain loops, over
// texts that put line ends, their high-bit twins and a borrow's worst cases at
// every offset, on both sides of a block's edge.

#include "core/ByteScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

using namespace vellum;

namespace {

std::size_t loneLineEndByLoop(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        const bool loneCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        const bool loneLf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        if (loneCr || loneLf) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Printable ASCII, CR, LF and NUL.
constexpr char kPlain[] = "\r\n !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                          "abcdefghijklmnopqrstuvwxyz{|}~";

std::size_t notPrintableByLoop(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20 ||
            static_cast<unsigned char>(text[i]) > 0x7E) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t crLfByLoop(std::string_view text) {
    std::size_t pairs = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        pairs += text[i] == '\r' && text[i + 1] == '\n';
    }
    return pairs;
}

std::uint64_t sumByLoop(std::string_view text) {
    std::uint64_t sum = 0;
    for (const char c : text) {
        sum += static_cast<unsigned char>(c);
    }
    return sum;
}

} // namespace

TEST(ByteScan, FindsWhatTheLibraryFinds) {
    std::mt19937 random(85);
    const std::string alphabet("\r\na\0\x01\x0C\x0E\x8D\x8A\xFF\x7F\x1F \x7E", 14);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 60, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        const std::string_view view(text);
        for (std::size_t from = 0; from <= text.size(); ++from) {
            ASSERT_EQ(bytescan::findCrLf(text, from), view.find("\r\n", from))
                << ::testing::PrintToString(text) << " from " << from;
            ASSERT_EQ(bytescan::findLineBreak(text, from), view.find_first_of("\r\n", from))
                << ::testing::PrintToString(text) << " from " << from;
            ASSERT_EQ(bytescan::findLoneLineEnd(text, from), loneLineEndByLoop(text, from))
                << ::testing::PrintToString(text) << " from " << from;
            ASSERT_EQ(bytescan::findNotPrintable(text, from), notPrintableByLoop(text, from))
                << ::testing::PrintToString(text) << " from " << from;
            ASSERT_EQ(bytescan::findNotPlainText(text, from),
                      view.find_first_not_of(std::string_view(kPlain, sizeof kPlain), from))
                << ::testing::PrintToString(text) << " from " << from;
            const std::size_t high = std::find_if(text.begin() + static_cast<long>(from),
                                                  text.end(), [](char c) { return c & 0x80; }) -
                                     text.begin();
            ASSERT_EQ(bytescan::findHighByte(text, from),
                      high == text.size() ? std::string_view::npos : high)
                << ::testing::PrintToString(text) << " from " << from;
        }
        ASSERT_EQ(bytescan::countCrLf(text), crLfByLoop(text)) << ::testing::PrintToString(text);
        ASSERT_EQ(bytescan::sumBytes(text), sumByLoop(text)) << ::testing::PrintToString(text);
    }
    // Long enough that narrow lanes would overflow, one byte past a block.
    const std::string highBytes(64 * 1024 + 17, '\xFF');
    EXPECT_EQ(bytescan::sumBytes(highBytes), sumByLoop(highBytes));
    std::string pairs;
    for (int i = 0; i < 40'000; ++i) {
        pairs += "\r\n";
    }
    EXPECT_EQ(bytescan::countCrLf(pairs), 40'000u);
}
