#include "StringFile.h"

namespace vellum {

using namespace stringfile;

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
