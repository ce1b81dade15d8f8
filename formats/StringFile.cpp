#include "StringFile.h"

namespace vellum {

using namespace stringfile;

Bytes toLfLineEnds(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue; // the LF of the pair follows
        }
        out.push_back(text[i]);
    }
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
