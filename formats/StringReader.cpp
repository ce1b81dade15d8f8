#include "formats/StringReader.h"

#include <cerrno>
#include <cstdint>

namespace vellum {

namespace {

// A byte of the file; past its end the file reads as zeros.
std::uint8_t byteAt(std::string_view file, std::size_t offset) {
    return offset < file.size() ? static_cast<std::uint8_t>(file[offset]) : 0;
}

// `count` bytes from `offset`, zero-filled past the end of the file.
Bytes bytesAt(std::string_view file, std::size_t offset, std::size_t count) {
    Bytes out(count, '\0');
    if (offset < file.size()) {
        file.substr(offset, count).copy(out.data(), count);
    }
    return out;
}

Failure failed(std::string reason) {
    return Failure{EINVAL, std::move(reason)};
}

} // namespace

Result<DecodedString> decodeStringFile(std::string_view file) {
    const std::size_t n = byteAt(file, stringfile::kNameLengthOffset);
    // Positions beyond the last one a byte can count are out of reach: the
    // marker of a name of 189 bytes or more cannot even be looked at.
    if (stringfile::markerOffset(n) > kLastReadableOffset) {
        return failed("a name of " + std::to_string(n) +
                      " bytes puts the marker beyond the readable positions");
    }
    if (byteAt(file, stringfile::markerOffset(n)) != stringfile::kScrolletMarker) {
        return Failure{EINVAL,
                       "no Scrollet marker (EF) at offset " +
                           std::to_string(stringfile::markerOffset(n)),
                       FailureKind::Refused};
    }
    if (textOffset(n) > kLastReadableOffset) {
        return failed("a name of " + std::to_string(n) +
                      " bytes puts the text beyond the readable positions");
    }
    // The length word is signed; below 2 it does not even cover 00 EF.
    const auto length = static_cast<std::int16_t>(
        stringfile::readLittleEndian16(bytesAt(file, stringfile::stringLengthOffset(n), 2)));
    if (length < 2) {
        return failed("string length " + std::to_string(length) + " is below 2");
    }

    DecodedString result;
    result.name = Charset::toLower(bytesAt(file, stringfile::kNameOffset, n));
    const Bytes raw = bytesAt(file, textOffset(n), static_cast<std::size_t>(length) - 2);
    // NULs vanish (the closing pair and any inside the text); LF becomes CR LF.
    result.text.reserve(raw.size() * 2);
    for (const char c : raw) {
        if (c == '\0') {
            continue;
        }
        if (c == '\n') {
            result.text += '\r';
        }
        result.text += c;
    }
    return result;
}

} // namespace vellum
