#include "core/Utf8.h"

#include "core/ByteScan.h"

namespace vellum::utf8 {

Sequence sequenceAt(std::string_view text, std::size_t at) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(at);
    if (lead < 0x80) {
        return {1, lead, true};
    }
    std::size_t extra = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, 0, false};
    }
    for (std::size_t k = 1; k <= extra; ++k, low = 0x80, high = 0xBF) {
        const std::size_t i = at + k;
        if (i >= text.size() || byteAt(i) < low || byteAt(i) > high) {
            return {k, 0, false};
        }
        codePoint = (codePoint << 6) | (byteAt(i) & 0x3F);
    }
    return {extra + 1, codePoint, true};
}

bool isWellFormed(std::string_view text) {
    // Only a byte from 0x80 up begins a sequence that may be ill-formed; the
    // ASCII between, most of most texts, is passed over sixteen bytes a step.
    for (std::size_t i = bytescan::findHighByte(text, 0); i < text.size();
         i = bytescan::findHighByte(text, i)) {
        const Sequence sequence = sequenceAt(text, i);
        if (!sequence.valid) {
            return false;
        }
        i += sequence.length;
    }
    return true;
}

} // namespace vellum::utf8
