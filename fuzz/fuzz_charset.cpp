// Bytes -> display text -> bytes is the identity for every text without NUL,
// whatever is typed or pasted encodes to bytes without NUL, and code points
// survive the UTF-8 conversions.
#include "core/Charset.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using vellum::Bytes;
using vellum::Charset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(reinterpret_cast<const char*>(data), size);
    Bytes withoutNul;
    for (char c : bytes) {
        if (c != '\0') {
            withoutNul.push_back(c);
        }
    }
    if (Charset::encodeText(Charset::decodeText(withoutNul)) != withoutNul) {
        std::abort();
    }

    // The same input read as UTF-8 stands for anything a user could paste.
    const std::u32string pasted = Charset::fromUtf8(bytes);
    const Bytes encoded = Charset::encodeText(pasted);
    if (encoded.find('\0') != Bytes::npos) {
        std::abort();
    }
    // What the window shows after a paste saves as itself.
    if (Charset::encodeText(Charset::decodeText(encoded)) != encoded) {
        std::abort();
    }
    if (Charset::toLower(Charset::toLower(encoded)) != Charset::toLower(encoded)) {
        std::abort();
    }

    // The same input as raw code points, any value at all (a widget may hold
    // lone surrogates): every fold is a byte other than NUL, and the UTF-8
    // conversions give back every code point up to U+10FFFF.
    std::u32string points;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        points.push_back(static_cast<char32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                                               static_cast<std::uint32_t>(data[i + 3]) << 24));
    }
    for (const char32_t ch : points) {
        if (Charset::fromTyped(ch) == 0) {
            std::abort();
        }
    }
    if (Charset::encodeText(points).find('\0') != Bytes::npos) {
        std::abort();
    }
    std::u32string unicode;
    for (const char32_t ch : points) {
        unicode.push_back(ch % 0x110000);
    }
    if (Charset::fromUtf8(Charset::toUtf8(unicode)) != unicode) {
        std::abort();
    }
    return 0;
}
