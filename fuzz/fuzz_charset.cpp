// Bytes -> display text -> bytes is the identity for every text without NUL,
// and whatever is typed or pasted encodes to bytes without NUL.
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
    return 0;
}
