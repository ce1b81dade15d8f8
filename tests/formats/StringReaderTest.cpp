#include "formats/StringReader.h"

#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

using namespace vellum;
using vellum::support::handMade;
using vellum::support::scrollet;
namespace {

// What became of a file: read, refused for its marker, or failed.
enum class Status { Accepted, Refused, Failed };

Status statusOf(const Result<DecodedString>& decoded) {
    if (decoded.ok()) {
        return Status::Accepted;
    }
    return decoded.failure().kind == FailureKind::Refused ? Status::Refused : Status::Failed;
}

} // namespace

TEST(DecodeStringFile, ReadsTheWorkedExample) {
    const std::string file = scrollet("note", "AB\nC");
    ASSERT_EQ(static_cast<unsigned char>(file[60]), 4);
    ASSERT_EQ(file.substr(67, 2), Bytes("\x08\x00", 2));
    ASSERT_EQ(file.substr(69, 2), Bytes("\x00\xEF", 2));
    const Result<DecodedString> d = decodeStringFile(file);
    ASSERT_EQ(statusOf(d), Status::Accepted);
    EXPECT_EQ(d.value().name, "note");
    EXPECT_EQ(d.value().text, "AB\r\nC");
}

TEST(DecodeStringFile, DropsNulsAndTurnsEveryLfIntoCrLf) {
    // A stored CR LF gains a CR; a lone CR stays; a NUL joins its neighbours.
    const Result<DecodedString> d = decodeStringFile(scrollet("x", Bytes("a\0b\r\nc\rd\n\n", 10)));
    ASSERT_EQ(statusOf(d), Status::Accepted);
    EXPECT_EQ(d.value().text, "ab\r\r\nc\rd\r\n\r\n");
}

TEST(DecodeStringFile, EmptyBodiesGiveAnEmptyText) {
    EXPECT_EQ(decodeStringFile(scrollet("e", "")).value().text, "");
    // L = 2: nothing is read after the marker.
    const Result<DecodedString> two =
        decodeStringFile(handMade("e", 2, Bytes("\0\xEF", 2) + "junk"));
    ASSERT_EQ(statusOf(two), Status::Accepted);
    EXPECT_EQ(two.value().text, "");
}

TEST(DecodeStringFile, LowerCasesTheNameWithoutCuttingIt) {
    EXPECT_EQ(decodeStringFile(scrollet("NOTES", "")).value().name, "notes");
    EXPECT_EQ(decodeStringFile(scrollet("ABCDEFGHIJ", "")).value().name, "abcdefghij");
    EXPECT_EQ(decodeStringFile(scrollet("", "t")).value().name, "");
}

TEST(DecodeStringFile, JudgesOnlyTheMarkerByte) {
    std::string file = scrollet("abc", "text");
    file.replace(0, 8, "garbage!"); // signature
    file[59] = 0x05;                // type
    file[53] = file[54] = '\x7F';   // data-section length
    file[file.size() - 1] ^= 0x55;  // checksum
    file += "trailing bytes";
    const Result<DecodedString> d = decodeStringFile(file);
    EXPECT_EQ(statusOf(d), Status::Accepted);
    EXPECT_EQ(d.value().text, "text");

    file[66 + 3] = '\xEE';
    EXPECT_EQ(statusOf(decodeStringFile(file)), Status::Refused);
}

TEST(DecodeStringFile, UnusableLengthWordsFailButOnlyAfterTheMarker) {
    for (const std::uint16_t word : {0x0000, 0x0001, 0x8000, 0xFFFF}) {
        SCOPED_TRACE(word);
        const Result<DecodedString> withMarker =
            decodeStringFile(handMade("n", word, Bytes("\0\xEF", 2)));
        EXPECT_EQ(statusOf(withMarker), Status::Failed);
        EXPECT_FALSE(withMarker.failure().text.empty());
        EXPECT_EQ(statusOf(decodeStringFile(handMade("n", word, Bytes("\0\x01", 2)))),
                  Status::Refused);
    }
    // The largest word reads 32765 bytes, zero-filled past the file's end.
    const Result<DecodedString> big =
        decodeStringFile(handMade("n", 0x7FFF, Bytes("\0\xEF", 2) + "tail"));
    ASSERT_EQ(statusOf(big), Status::Accepted);
    EXPECT_EQ(big.value().text, "tail");
}

TEST(DecodeStringFile, NamesBeyondTheReadablePositions) {
    const Bytes body = Bytes("\0\xEF", 2) + "hi" + Bytes(2, '\0');
    const Result<DecodedString> n187 = decodeStringFile(handMade(Bytes(187, 'a'), 6, body));
    ASSERT_EQ(statusOf(n187), Status::Accepted);
    EXPECT_EQ(n187.value().name, Bytes(187, 'a'));
    EXPECT_EQ(n187.value().text, "hi");
    // 188: the marker at offset 254 is still checked, the text is out of reach.
    EXPECT_EQ(statusOf(decodeStringFile(handMade(Bytes(188, 'a'), 6, body))), Status::Failed);
    EXPECT_EQ(statusOf(decodeStringFile(handMade(Bytes(188, 'a'), 6, Bytes("\0\x00hi", 4)))),
              Status::Refused);
    // 189 and more: the marker is never looked at, so no message either way.
    for (const int n : {189, 200, 255}) {
        EXPECT_EQ(statusOf(decodeStringFile(handMade(Bytes(n, 'a'), 6, body))), Status::Failed);
        EXPECT_EQ(statusOf(decodeStringFile(handMade(Bytes(n, 'a'), 6, Bytes(4, '\0')))),
                  Status::Failed);
    }
}

TEST(DecodeStringFile, EveryPrefixIsRefusedOrReadsAPrefixOfTheText) {
    const Bytes lfText = "line one\nline two\rthree\n";
    const std::string file = scrollet("prefix", lfText);
    const Result<DecodedString> whole = decodeStringFile(file);
    ASSERT_EQ(statusOf(whole), Status::Accepted);
    const std::size_t markerEnd = 66 + 6 + 1;
    for (std::size_t size = 0; size <= file.size(); ++size) {
        SCOPED_TRACE(size);
        const Result<DecodedString> d = decodeStringFile(std::string_view(file).substr(0, size));
        if (size < markerEnd) {
            EXPECT_EQ(statusOf(d), Status::Refused);
        } else {
            ASSERT_EQ(statusOf(d), Status::Accepted);
            EXPECT_EQ(d.value().name, "prefix");
            EXPECT_TRUE(whole.value().text.starts_with(d.value().text));
        }
    }
}

TEST(DecodeStringFile, RandomBytesNeverBreakIt) {
    std::mt19937 random(85);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string file(random() % 400, '\0');
        for (char& c : file) {
            c = static_cast<char>(random());
        }
        if (round % 2 == 0 && file.size() > 70) {
            file[60] = static_cast<char>(random() % 4); // short names, so the marker matters
            file[66 + static_cast<unsigned char>(file[60])] = '\xEF';
        }
        const Result<DecodedString> d = decodeStringFile(file);
        if (d.ok()) {
            ++accepted;
            EXPECT_EQ(d.value().text.find('\0'), Bytes::npos);
            EXPECT_LE(d.value().text.size(), 2 * 32765u);
        } else if (statusOf(d) == Status::Failed) {
            EXPECT_FALSE(d.failure().text.empty());
        }
    }
    EXPECT_GT(accepted, 0);
}
