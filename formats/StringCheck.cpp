#include "formats/StringCheck.h"

#include "formats/StringReader.h"

#include <cstdio>

namespace vellum {

namespace {

using namespace stringfile;

std::uint8_t byteAt(std::string_view file, std::size_t offset) {
    return static_cast<std::uint8_t>(file[offset]);
}

std::size_t wordAt(std::string_view file, std::size_t offset) {
    return readLittleEndian16(file.substr(offset, 2));
}

std::string hex(std::string_view bytes) {
    std::string out;
    char buffer[4];
    for (const char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned char>(c));
        out += out.empty() ? "" : " ";
        out += buffer;
    }
    return out;
}

std::string hex16(std::size_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%04zX", value);
    return buffer;
}

StringCheckResult invalid(std::string problem) {
    StringCheckResult result;
    result.problem = std::move(problem);
    return result;
}

} // namespace

StringCheckResult checkStringFile(std::string_view head, std::uint64_t fileSize) {
    const std::string_view file = head.substr(0, std::min<std::uint64_t>(head.size(), fileSize));
    if (file.size() < kSignature.size() || file.substr(0, kSignature.size()) != kSignature) {
        return invalid("no \"**TI85**\" signature");
    }
    const std::string_view tail = file.substr(kSignatureTailOffset, kSignatureTail.size());
    if (tail != kSignatureTail) {
        return invalid("the signature is followed by " + (tail.empty() ? "nothing" : hex(tail)) +
                       ", not 1A 0C 00");
    }
    if (file.size() < kSectionOffset) {
        return invalid("the file ends inside its header, after " + std::to_string(fileSize) +
                       " bytes");
    }
    const std::size_t section = wordAt(file, kSectionLengthOffset);
    const std::uint64_t expectedSize = checksumOffsetAfter(section) + 2;
    if (fileSize != expectedSize) {
        return invalid("the data-section length " + std::to_string(section) + " needs a file of " +
                       std::to_string(expectedSize) + " bytes, but the file has " +
                       std::to_string(fileSize));
    }
    if (file.size() != fileSize) {
        return invalid("only " + std::to_string(file.size()) + " of its " +
                       std::to_string(fileSize) + " bytes could be read");
    }
    // From here on the whole file is in view.
    if (section < kNameOffset - kSectionOffset) {
        return invalid("the data section of " + std::to_string(section) +
                       " bytes cannot hold a variable entry");
    }
    const std::size_t n = byteAt(file, kNameLengthOffset);
    const std::size_t header = wordAt(file, kEntryHeaderLengthOffset);
    if (header != entryHeaderLength(n)) {
        return invalid("the entry header length " + std::to_string(header) +
                       " does not match the name length " + std::to_string(n) + " (expected " +
                       std::to_string(entryHeaderLength(n)) + ")");
    }
    if (byteAt(file, kTypeOffset) != kStringType) {
        return invalid("the variable type " + hex(file.substr(kTypeOffset, 1)) +
                       " is not a string (0C)");
    }
    if (stringLengthOffset(n) > kSectionOffset + section) {
        return invalid("the data section ends inside the variable entry");
    }
    const std::size_t dataLength = wordAt(file, kDataLengthOffset);
    const std::size_t repeated = wordAt(file, repeatedDataLengthOffset(n));
    if (repeated != dataLength) {
        return invalid("the two data lengths differ: " + std::to_string(dataLength) +
                       " at offset 57, " + std::to_string(repeated) + " at offset " +
                       std::to_string(repeatedDataLengthOffset(n)));
    }
    const std::size_t entrySize = sectionLengthOf(header, dataLength);
    if (entrySize != section) {
        return invalid("the data section of " + std::to_string(section) +
                       " bytes does not hold exactly one variable entry (" +
                       std::to_string(entrySize) + " bytes)");
    }
    if (dataLength < 2) {
        return invalid("the variable data length " + std::to_string(dataLength) +
                       " leaves no room for the string length");
    }
    const std::size_t stringLength = wordAt(file, stringLengthOffset(n));
    if (dataLengthOfString(stringLength) != dataLength) {
        return invalid("the string length " + std::to_string(stringLength) +
                       " is not two less than the data length " + std::to_string(dataLength));
    }
    const std::size_t sum = checksum(file.substr(kSectionOffset, section));
    const std::size_t stored = wordAt(file, checksumOffsetAfter(section));
    if (stored != sum) {
        return invalid("the checksum is " + hex16(stored) + ", the bytes add up to " + hex16(sum));
    }

    if (n == 0) {
        return invalid("the variable name is empty, which no calculator can store");
    }

    StringCheckResult result;
    result.valid = true;
    result.name = Bytes(file.substr(kNameOffset, n));
    result.stringLength = stringLength;
    const std::string_view body = file.substr(dataOffset(n), stringLength);
    if (body.size() < kLeadIn.size() + kStringEnd.size()) {
        result.layoutProblem = "the string is too short for 00 EF and 00 00";
    } else if (body.substr(0, kLeadIn.size()) != kLeadIn) {
        result.layoutProblem = "the string starts with " + hex(body.substr(0, 2)) + ", not 00 EF";
    } else if (body.substr(body.size() - kStringEnd.size()) != kStringEnd) {
        result.layoutProblem =
            "the string ends with " + hex(body.substr(body.size() - 2)) + ", not 00 00";
    } else if (textOffset(n) > kLastReadableOffset) {
        // The editor's reader counts positions in one byte.
        result.layoutProblem = "the name of " + std::to_string(n) +
                               " bytes puts the text beyond what the editor reads (names of at "
                               "most 187 bytes)";
    } else if (stringLength > kMaxReadableStringLength) {
        // The editor's reader takes the length as a signed 16-bit value.
        result.layoutProblem = "the string of " + std::to_string(stringLength) +
                               " bytes is longer than the editor reads (" +
                               std::to_string(kMaxReadableStringLength) + " bytes)";
    } else {
        result.viewerLayout = true;
    }
    return result;
}

} // namespace vellum
