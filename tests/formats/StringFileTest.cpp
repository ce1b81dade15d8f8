// The string body: CR LF pairs become LF, as the data-size readout promises.

#include "formats/StringFile.h"
#include "core/Document.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

using namespace vellum;

TEST(LfLineEnds, TurnsCrLfPairsIntoLfFromTheStart) {
    const std::pair<Bytes, Bytes> cases[] = {
        {"", ""},           {"a\r\nb", "a\nb"},         {"\r", "\r"},
        {"\n", "\n"},       {"\n\r", "\n\r"},           {"\r\r\n", "\r\n"},
        {"\r\n\n", "\n\n"}, {"\r\n\r\n", "\n\n"},       {"a\r", "a\r"},
        {"\r\n", "\n"},     {"\r\r\n\n\r", "\r\n\n\r"}, {"\n\r\n\r", "\n\n\r"},
    };
    for (const auto& [text, converted] : cases) {
        EXPECT_EQ(toLfLineEnds(text), converted) << ::testing::PrintToString(text);
    }
}

// The data-size readout promises the length of what a compile writes: for
// every mix of CR, LF and a letter up to seven long, the two agree.
TEST(LfLineEnds, AgreesWithTheDataSizeReadout) {
    const char alphabet[] = {'\r', '\n', 'a'};
    Document doc;
    std::vector<Bytes> layer{""};
    for (int length = 1; length <= 7; ++length) {
        std::vector<Bytes> next;
        for (const Bytes& prefix : layer) {
            for (const char c : alphabet) {
                next.push_back(prefix + c);
            }
        }
        for (const Bytes& text : next) {
            doc.setText(text);
            ASSERT_EQ(doc.lblSize(), "Data Size: " + std::to_string(buildStringData(text).size()))
                << ::testing::PrintToString(text);
        }
        layer = std::move(next);
    }
}

// The checksum against a byte-by-byte sum, for sizes around the word and
// lane-emptying steps, with bytes of 0xFF where a lane would overflow first.
TEST(Checksum, AddsUpEveryByteModulo65536) {
    std::mt19937 random(85);
    for (const std::size_t size : {0, 1, 7, 9, 1023, 1024, 1025, 32767}) {
        for (const bool full : {true, false}) {
            std::string section(size, '\xFF');
            std::uint32_t sum = 0;
            for (char& c : section) {
                c = full ? c : static_cast<char>(random());
                sum += static_cast<unsigned char>(c);
            }
            EXPECT_EQ(stringfile::checksum(section), sum % 65536) << size;
        }
    }
}
