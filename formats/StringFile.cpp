#include "StringFile.h"

namespace vellum {

using namespace stringfile;

namespace stringfile {

std::uint16_t checksum(std::string_view section) {
    std::uint32_t sum = 0;
    for (const char byte : section) {
        sum += static_cast<unsigned char>(byte);
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

Bytes toLfLineEnds(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    // A stretch at a time: only the CR of each CR LF pair is left out.
    std::size_t from = 0;
    for (std::size_t cr = text.find("\r\n"); cr != std::string_view::npos;
         cr = text.find("\r\n", cr + 2)) {
        out.append(text, from, cr - from);
        from = cr + 1;
    }
    out.append(text, from);
    return out;
}

Bytes buildStringData(std::string_view text) {
    Bytes data;
    data.reserve(kLeadIn.size() + text.size());
    data.append(kLeadIn);
    data.append(toLfLineEnds(text));
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
