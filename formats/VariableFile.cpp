#include "formats/VariableFile.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vellum {

namespace {

using namespace stringfile;
using namespace variablefile;

std::uint8_t byteAt(std::string_view file, std::size_t offset) {
    return static_cast<std::uint8_t>(file[offset]);
}

std::size_t wordAt(std::string_view file, std::size_t offset) {
    return readLittleEndian16(file.substr(offset, 2));
}

// Every length the caller passes has been checked to fit 16 bits.
void putWord(Bytes& out, std::size_t value) {
    out += littleEndian16(static_cast<std::uint16_t>(value));
}

std::string hexByte(std::uint8_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", value);
    return buffer;
}

std::string hex16(std::size_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%04zX", value);
    return buffer;
}

std::string entryLabel(std::size_t number) {
    return "entry " + std::to_string(number) + ": ";
}

// Locates the entries of the data section [begin, end) of file, in order,
// until one does not fit; says what stopped the walk, if anything.
std::string walkEntries(std::string_view file, std::size_t begin, std::size_t end,
                        std::vector<VariableEntry>& entries) {
    std::string problem;
    for (std::size_t at = begin; at < end;) {
        const std::string label = entryLabel(entries.size() + 1);
        const std::size_t left = end - at;
        if (left < kEntryFixedBytes - 2) {
            return label + "the data section ends inside the entry's header";
        }
        const std::size_t header = wordAt(file, at);
        const std::size_t dataLength = wordAt(file, at + 2);
        const std::uint8_t type = byteAt(file, at + 4);
        const std::size_t n = byteAt(file, at + 5);
        if (header != n + 4) {
            return label + "the header length " + std::to_string(header) +
                   " does not match the name length " + std::to_string(n) + " (expected " +
                   std::to_string(n + 4) + ")";
        }
        if (left < kEntryFixedBytes + n) {
            return label + "the data section ends inside the entry's header";
        }
        const std::size_t repeated = wordAt(file, at + 6 + n);
        if (repeated != dataLength) {
            return label + "the two data lengths differ: " + std::to_string(dataLength) + " and " +
                   std::to_string(repeated);
        }
        if (left - kEntryFixedBytes - n < dataLength) {
            return label + "claims " + std::to_string(dataLength) + " bytes of data, but only " +
                   std::to_string(left - kEntryFixedBytes - n) + " are left in the data section";
        }
        if (ti85TypeName(type).empty() && problem.empty()) {
            // Located all the same: the entries after it can still be read.
            problem = label + "the type " + hexByte(type) + " is not a TI-85 variable type";
        }
        VariableEntry entry;
        entry.type = type;
        entry.name = Bytes(file.substr(at + 6, n));
        entry.data = Bytes(file.substr(at + kEntryFixedBytes + n, dataLength));
        entry.offset = at;
        entries.push_back(std::move(entry));
        at += kEntryFixedBytes + n + dataLength;
    }
    return problem;
}

} // namespace

bool isGroupPath(std::string_view path) {
    const std::string_view extension = kGroupFileExtension;
    if (path.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

VariableFile readVariableFile(std::string_view head, std::uint64_t fileSize) {
    VariableFile result;
    const std::string_view file = head.substr(0, std::min<std::uint64_t>(head.size(), fileSize));
    if (file.substr(0, kSignature.size()) != kSignature) {
        result.problem = "no \"**TI85**\" signature";
        return result;
    }
    if (file.substr(kSignatureTailOffset, kSignatureTail.size()) != kSignatureTail) {
        result.problem = "the signature is not followed by 1A 0C 00";
        return result;
    }
    if (file.size() < kSectionOffset) {
        result.problem =
            "the file ends inside its header, after " + std::to_string(fileSize) + " bytes";
        return result;
    }
    result.comment = Bytes(file.substr(kCommentOffset, kCommentLength));
    const std::size_t section = wordAt(file, kSectionLengthOffset);
    const std::uint64_t expectedSize = kSectionOffset + section + 2;
    if (fileSize != expectedSize) {
        result.problem = "the data-section length " + std::to_string(section) +
                         " needs a file of " + std::to_string(expectedSize) +
                         " bytes, but the file has " + std::to_string(fileSize);
    }
    // The walk stays within the section and within what the file holds.
    const std::size_t end = std::min(kSectionOffset + section, file.size());
    std::string walked = walkEntries(file, kSectionOffset, end, result.entries);
    if (result.problem.empty()) {
        result.problem = std::move(walked);
    }
    if (result.problem.empty() && result.entries.empty()) {
        result.problem = "the data section holds no variable";
    }
    if (result.problem.empty()) {
        const std::size_t sum = checksum(file.substr(kSectionOffset, section));
        const std::size_t stored = wordAt(file, checksumOffsetAfter(section));
        if (stored != sum) {
            result.problem =
                "the checksum is " + hex16(stored) + ", the bytes add up to " + hex16(sum);
        }
    }
    return result;
}

std::string_view ti85TypeName(std::uint8_t type) {
    // The calculator's own variable types; the gaps are types it does not have.
    static constexpr std::array<std::string_view, 0x1E> kNames = {
        "real number",
        "complex number",
        "real vector",
        "complex vector",
        "real list",
        "complex list",
        "real matrix",
        "complex matrix",
        "real constant",
        "complex constant",
        "equation",
        "",
        "string",
        "function graph database",
        "polar graph database",
        "parametric graph database",
        "differential-equation graph database",
        "picture",
        "program",
        "range",
        "screen",
        "directory",
        "",
        "function window",
        "polar window",
        "parametric window",
        "differential-equation window",
        "zoom recall",
        "",
        "backup",
    };
    return type < kNames.size() ? kNames[type] : std::string_view();
}

std::string describeType(std::uint8_t type) {
    const std::string_view name = ti85TypeName(type);
    return name.empty() ? "type " + hexByte(type) : std::string(name);
}

Bytes stringVariableData(std::string_view stringData) {
    Bytes out;
    out.reserve(2 + stringData.size() + kStringEnd.size());
    putWord(out, stringData.size() + kStringEnd.size());
    out += stringData;
    out += kStringEnd;
    return out;
}

std::size_t sectionLength(const std::vector<VariableEntry>& entries) {
    std::size_t length = 0;
    for (const VariableEntry& entry : entries) {
        length += kEntryFixedBytes + entry.name.size() + entry.data.size();
    }
    return length;
}

Result<Bytes> layOutVariableFile(std::string_view comment,
                                 const std::vector<VariableEntry>& entries) {
    const bool nameTooLong = std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.name.size() > kMaxStoredNameLength;
    });
    if (nameTooLong) {
        return Failure{ENAMETOOLONG, "a variable name is longer than " +
                                         std::to_string(kMaxStoredNameLength) + " bytes"};
    }
    const std::size_t section = sectionLength(entries);
    if (section > kMaxSectionLength) {
        return Failure{EFBIG, "the variables take " + std::to_string(section) +
                                  " bytes, more than the " + std::to_string(kMaxSectionLength) +
                                  " of the data section's 16-bit length"};
    }
    Bytes out;
    out.reserve(kSectionOffset + section + 2);
    out += kSignature;
    out += kSignatureTail;
    out += comment.substr(0, kCommentLength);
    out.resize(kSectionLengthOffset, ' ');
    putWord(out, section);
    for (const VariableEntry& entry : entries) {
        putWord(out, entry.name.size() + 4);
        putWord(out, entry.data.size());
        out += static_cast<char>(entry.type);
        out += static_cast<char>(entry.name.size());
        out += entry.name;
        putWord(out, entry.data.size());
        out += entry.data;
    }
    putWord(out, checksum(std::string_view(out).substr(kSectionOffset)));
    return out;
}

Bytes fileOfEntryAlone(const VariableFile& file, const VariableEntry& entry) {
    // An entry located in a file fits a data section by itself.
    Result<Bytes> alone = layOutVariableFile(file.comment, {entry});
    return alone.ok() ? std::move(alone).value() : Bytes();
}

} // namespace vellum
