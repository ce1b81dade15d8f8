#include "core/ByteScan.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace vellum::bytescan {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// A high bit in every byte of word that is byte: the lowest one is exact (a
// borrow can only mark bytes above a match).
std::uint64_t matches(std::uint64_t word, char byte) {
    const std::uint64_t x = word ^ (kOnes * static_cast<std::uint8_t>(byte));
    return (x - kOnes) & ~x & kHighBits;
}

std::uint64_t wordAt(std::string_view text, std::size_t at) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, sizeof word);
    return word;
}

// The first byte at or after from for which the word test holds, eight
// bytes a step where the bytes of a word lie in memory order (little
// endian), one at a time for the rest.
template <class WordTest, class ByteTest>
std::size_t findFirst(std::string_view text, std::size_t from, WordTest wordTest,
                      ByteTest byteTest) {
    std::size_t at = from;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at < text.size() && text.size() - at >= sizeof(std::uint64_t);
             at += sizeof(std::uint64_t)) {
            if (const std::uint64_t found = wordTest(wordAt(text, at)); found != 0) {
                return at + static_cast<std::size_t>(std::countr_zero(found)) / 8;
            }
        }
    }
    for (; at < text.size(); ++at) {
        if (byteTest(text[at])) {
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::size_t find(std::string_view text, std::size_t from, char byte) {
    return findFirst(
        text, from, [byte](std::uint64_t word) { return matches(word, byte); },
        [byte](char c) { return c == byte; });
}

std::size_t findLineBreak(std::string_view text, std::size_t from) {
    return findFirst(
        text, from, [](std::uint64_t word) { return matches(word, '\r') | matches(word, '\n'); },
        [](char c) { return c == '\r' || c == '\n'; });
}

} // namespace vellum::bytescan
