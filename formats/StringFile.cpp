#include "StringFile.h"

#include "core/ByteScan.h"

#include <algorithm>
#include <cstring>

namespace vellum {

using namespace stringfile;

namespace stringfile {

std::uint16_t checksum(std::string_view section) {
    // Eight bytes a step: the even and the odd bytes of a word go into four
    // 16-bit lanes, which are emptied before one can overflow.
    constexpr std::uint64_t kEveryOtherByte = 0x00FF00FF00FF00FFull;
    constexpr std::size_t kWordsPerLaneFill = 128; // 128 * 2 * 255 < 65536
    std::uint32_t sum = 0;
    std::size_t at = 0;
    while (section.size() - at >= sizeof(std::uint64_t)) {
        const std::size_t words =
            std::min((section.size() - at) / sizeof(std::uint64_t), kWordsPerLaneFill);
        std::uint64_t lanes = 0;
        for (std::size_t w = 0; w < words; ++w, at += sizeof(std::uint64_t)) {
            std::uint64_t word = 0;
            std::memcpy(&word, section.data() + at, sizeof word);
            lanes += (word & kEveryOtherByte) + ((word >> 8) & kEveryOtherByte);
        }
        for (int lane = 0; lane < 4; ++lane, lanes >>= 16) {
            sum += static_cast<std::uint32_t>(lanes & 0xFFFF);
        }
    }
    for (; at < section.size(); ++at) {
        sum += static_cast<unsigned char>(section[at]);
    }
    return static_cast<std::uint16_t>(sum % 65536);
}

std::string littleEndian16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::uint16_t readLittleEndian16(std::string_view bytes) {
    const auto byte = [bytes](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
    };
    return static_cast<std::uint16_t>(byte(0) | (byte(1) << 8));
}

} // namespace stringfile

namespace {

// Appends text to out with every CR LF pair as one LF, a stretch at a time:
// only the CR of each pair is left out.
void appendWithLfLineEnds(Bytes& out, std::string_view text) {
    std::size_t from = 0;
    for (std::size_t cr = bytescan::findCrLf(text, 0); cr != std::string_view::npos;
         cr = bytescan::findCrLf(text, cr + 2)) {
        out.append(text, from, cr - from);
        from = cr + 1;
    }
    out.append(text, from);
}

} // namespace

Bytes toLfLineEnds(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    appendWithLfLineEnds(out, text);
    return out;
}

Bytes buildStringData(std::string_view text) {
    Bytes data;
    data.reserve(kLeadIn.size() + text.size());
    data.append(kLeadIn);
    appendWithLfLineEnds(data, text);
    return data;
}

Bytes buildComment(std::string_view timeUtf8, std::string_view dateUtf8) {
    Bytes comment(kCommentPrefix);
    comment += Charset::encodeText(Charset::fromUtf8(timeUtf8));
    comment += ' ';
    comment += Charset::encodeText(Charset::fromUtf8(dateUtf8));
    comment.resize(kCommentLength, ' ');
    return comment;
}

} // namespace vellum
