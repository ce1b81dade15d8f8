#include "core/ByteScan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VELLUM_BYTESCAN_SSE2 1
#endif

namespace vellum::bytescan {

namespace {

bool printableAscii(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    return byte >= 0x20 && byte <= 0x7E;
}

// A block of bytes compared at once, as a mask with bit i set where byte i
// of the block equals the byte looked for.
#ifdef VELLUM_BYTESCAN_SSE2
constexpr std::size_t kBlock = 16;

std::uint32_t equalMask(const char* at, char byte) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(byte))));
}

// Bytes outside printable ASCII (0x20 to 0x7E): as signed bytes, the high
// ones are negative.
std::uint32_t notPrintableMask(const char* at) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(0x1F)),
                                            _mm_cmplt_epi8(block, _mm_set1_epi8(0x7F)));
    return static_cast<std::uint32_t>(~_mm_movemask_epi8(printable)) & 0xFFFF;
}

std::uint32_t highMask(const char* at) {
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))));
}
#else
constexpr std::size_t kBlock = 8;

std::uint32_t equalMask(const char* at, char byte) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    const std::uint64_t x = word ^ (kOnes * static_cast<std::uint8_t>(byte));
    // The high bit of every byte of x that is zero, exactly (no borrow).
    const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
    // Gathers the eight high bits into one byte, byte i to bit i.
    return static_cast<std::uint32_t>((zero * 0x0002040810204081ull) >> 56) & 0xFF;
}

std::uint32_t highMask(const char* at) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        mask |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(at[i]) >> 7) << i;
    }
    return mask;
}

std::uint32_t notPrintableMask(const char* at) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        mask |= static_cast<std::uint32_t>(!printableAscii(at[i])) << i;
    }
    return mask;
}
#endif

// The first position at or after from whose block mask bit is set, block by
// block while blockMask may look at [at - 1, at + kBlock + 1), and by byteTest
// for the positions at both ends.
template <class BlockMask, class ByteTest>
std::size_t findFirst(std::string_view text, std::size_t from, BlockMask blockMask,
                      ByteTest byteTest) {
    std::size_t at = from;
    if (at == 0 && !text.empty()) {
        if (byteTest(0)) {
            return 0;
        }
        at = 1;
    }
    for (; at < text.size() && text.size() - at > kBlock; at += kBlock) {
        if (const std::uint32_t found = blockMask(text.data() + at); found != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(found));
        }
    }
    for (; at < text.size(); ++at) {
        if (byteTest(at)) {
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::size_t findCrLf(std::string_view text, std::size_t from) {
    return findFirst(
        text, from, [](const char* at) { return equalMask(at, '\r') & equalMask(at + 1, '\n'); },
        [&](std::size_t i) {
            return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        });
}

std::size_t findLineBreak(std::string_view text, std::size_t from) {
    return findFirst(
        text, from, [](const char* at) { return equalMask(at, '\r') | equalMask(at, '\n'); },
        [&](std::size_t i) { return text[i] == '\r' || text[i] == '\n'; });
}

std::size_t findLoneLineEnd(std::string_view text, std::size_t from) {
    const auto lone = [&](std::size_t i) {
        const bool crLfAfter = i + 1 < text.size() && text[i + 1] == '\n';
        const bool crLfBefore = i > 0 && text[i - 1] == '\r';
        return (text[i] == '\r' && !crLfAfter) || (text[i] == '\n' && !crLfBefore);
    };
    const auto loneInBlock = [](const char* at) {
        const std::uint32_t loneCr = equalMask(at, '\r') & ~equalMask(at + 1, '\n');
        const std::uint32_t loneLf = equalMask(at, '\n') & ~equalMask(at - 1, '\r');
        return loneCr | loneLf;
    };
    return findFirst(text, from, loneInBlock, lone);
}

std::size_t findNotPrintable(std::string_view text, std::size_t from) {
    return findFirst(text, from, notPrintableMask,
                     [&](std::size_t i) { return !printableAscii(text[i]); });
}

std::size_t findNotPlainText(std::string_view text, std::size_t from) {
    const auto notPlain = [](const char* at) {
        return notPrintableMask(at) &
               ~(equalMask(at, '\r') | equalMask(at, '\n') | equalMask(at, '\0'));
    };
    return findFirst(text, from, notPlain, [&](std::size_t i) {
        return !printableAscii(text[i]) && text[i] != '\r' && text[i] != '\n' && text[i] != '\0';
    });
}

std::size_t findHighByte(std::string_view text, std::size_t from) {
    return findFirst(text, from, highMask,
                     [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]) >= 0x80; });
}

std::size_t countCrLf(std::string_view text) {
    std::size_t pairs = 0;
    std::size_t at = 0;
#ifdef VELLUM_BYTESCAN_SSE2
    // No branch for each block: every pair adds one to its byte lane (a match
    // compares as -1, which is subtracted), and the lanes are summed before
    // any could pass 255.
    constexpr int kStepsPerSum = 255;
    while (text.size() - at > kBlock) {
        __m128i lanes = _mm_setzero_si128();
        for (int step = 0; step < kStepsPerSum && text.size() - at > kBlock; ++step, at += kBlock) {
            const char* block = text.data() + at;
            const __m128i cr = _mm_cmpeq_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block)), _mm_set1_epi8('\r'));
            const __m128i lf = _mm_cmpeq_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1)), _mm_set1_epi8('\n'));
            lanes = _mm_sub_epi8(lanes, _mm_and_si128(cr, lf));
        }
        std::uint64_t halves[2];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(halves),
                         _mm_sad_epu8(lanes, _mm_setzero_si128()));
        pairs += static_cast<std::size_t>(halves[0] + halves[1]);
    }
#else
    for (; text.size() - at > kBlock; at += kBlock) {
        const char* block = text.data() + at;
        // Pairs are a few in a block: one step each, without a popcount
        // instruction the build may not assume.
        for (std::uint32_t found = equalMask(block, '\r') & equalMask(block + 1, '\n'); found != 0;
             found &= found - 1) {
            ++pairs;
        }
    }
#endif
    for (; at + 1 < text.size(); ++at) {
        pairs += text[at] == '\r' && text[at + 1] == '\n' ? 1 : 0;
    }
    return pairs;
}

std::uint64_t sumBytes(std::string_view text) {
    std::uint64_t sum = 0;
    std::size_t at = 0;
#ifdef VELLUM_BYTESCAN_SSE2
    // Sixteen bytes a step, added into two 64-bit lanes at once.
    __m128i lanes = _mm_setzero_si128();
    for (; text.size() - at >= 16; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        lanes = _mm_add_epi64(lanes, _mm_sad_epu8(block, _mm_setzero_si128()));
    }
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), lanes);
    sum = halves[0] + halves[1];
#else
    // Eight bytes a step: the even and the odd bytes of a word go into four
    // 16-bit lanes, which are emptied before one can overflow.
    constexpr std::uint64_t kEveryOtherByte = 0x00FF00FF00FF00FFull;
    constexpr std::size_t kWordsPerLaneFill = 128; // 128 * 2 * 255 < 65536
    while (text.size() - at >= sizeof(std::uint64_t)) {
        const std::size_t words =
            std::min((text.size() - at) / sizeof(std::uint64_t), kWordsPerLaneFill);
        std::uint64_t lanes = 0;
        for (std::size_t w = 0; w < words; ++w, at += sizeof(std::uint64_t)) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + at, sizeof word);
            lanes += (word & kEveryOtherByte) + ((word >> 8) & kEveryOtherByte);
        }
        for (int lane = 0; lane < 4; ++lane, lanes >>= 16) {
            sum += lanes & 0xFFFF;
        }
    }
#endif
    for (; at < text.size(); ++at) {
        sum += static_cast<std::uint8_t>(text[at]);
    }
    return sum;
}

} // namespace vellum::bytescan
