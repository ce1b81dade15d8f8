#pragma once
// String files laid out by hand or damaged on purpose, for the reader's and
// the validator's tests.

#include "core/Charset.h"

#include <cstdint>
#include <string>

namespace vellum::support {

// Puts the checksum of a string file right again after a change to its data
// section (the bytes from offset 55 up to the last two).
inline void fixChecksum(std::string& file) {
    unsigned sum = 0;
    for (std::size_t i = 55; i + 2 < file.size(); ++i) {
        sum += static_cast<unsigned char>(file[i]);
    }
    file[file.size() - 2] = static_cast<char>(sum & 0xFF);
    file[file.size() - 1] = static_cast<char>((sum >> 8) & 0xFF);
}

// A string file laid out by hand, so that each field the reader uses can be
// set to anything: the name-length byte, the name, the string's length word
// and the body from its leading 00 on. The header before offset 60 is what a
// real file holds, apart from the comment.
inline std::string handMade(const Bytes& name, std::uint16_t lengthWord, const Bytes& body,
                            int nameLengthByte = -1) {
    std::string file = "**TI85**\x1a\x0c";
    file += '\0';
    file += std::string(42, ' ');
    file += std::string(7, '\0'); // data-section length, header length, data length, type
    file += static_cast<char>(nameLengthByte < 0 ? name.size() : nameLengthByte);
    file += name;
    file += std::string(2, '\0'); // repeated data length: not read
    file += static_cast<char>(lengthWord & 0xFF);
    file += static_cast<char>(lengthWord >> 8);
    file += body;
    file += std::string(2, '\0'); // checksum: not read
    return file;
}

// A well-formed body: 00 EF, the text, 00 00, with its length word.
inline std::string scrollet(const Bytes& name, const Bytes& lfText) {
    return handMade(name, static_cast<std::uint16_t>(lfText.size() + 4),
                    Bytes("\0\xEF", 2) + lfText + Bytes(2, '\0'));
}

} // namespace vellum::support
