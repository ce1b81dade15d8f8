#include "StringFile.h"

#include "core/ByteScan.h"

#include <algorithm>
#include <cstring>

namespace vellum {

using namespace stringfile;

namespace stringfile {

std::uint16_t checksum(std::string_view section) {
    return static_cast<std::uint16_t>(bytescan::sumBytes(section) % 65536);
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
