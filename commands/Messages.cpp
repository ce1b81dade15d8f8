#include "Messages.h"

namespace vellum::messages {

std::string writeFailure(const Failure& failure) {
    return "Error " + std::to_string(failure.number) + " has occured while writing String.\r\n" +
           failure.text + "\r\nContinue Anyway?";
}

std::string writeFailureTitle(const Failure& failure) {
    return "Error " + std::to_string(failure.number);
}

std::string cannotOpen(const std::string& path, const std::string& reason) {
    return "Cannot open \"" + path + "\":\n" + reason;
}

std::string cannotSave(const std::string& path, const std::string& reason) {
    return "Could not save " + path + ": " + reason;
}

std::string cannotCompile(const std::string& reason) {
    return "Cannot compile: " + reason;
}

namespace {

// A byte count as people read it: 2097152 as "2,097,152".
std::string withThousands(std::size_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

// A length in kilobytes, rounded up, for people.
std::string kilobytes(std::size_t bytes) {
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

} // namespace

std::string changedOnDisk(const std::string& path) {
    return path + " was changed by another program after Vellum loaded it. Replace it with "
                  "this text?";
}

std::string charactersLost(const std::string& path, std::size_t count) {
    return "Saving replaces " + path + "; " +
           (count == 1 ? std::string("1 character that the TI-85 has no code for")
                       : withThousands(count) + " characters that the TI-85 has no code for") +
           " will be lost from it. Save anyway?";
}

std::string tooLongForString(std::size_t dataSize, std::size_t largest) {
    return "The text is too long for a TI-85 string: its data size is " + withThousands(dataSize) +
           " bytes, and a string with this variable name takes at most " + withThousands(largest) +
           ". Nothing was written.";
}

std::string dataSizeOverLimit(std::size_t largest) {
    return "Too long for a TI-85 string: with this variable name a string takes a data size of "
           "at most " +
           withThousands(largest) + ".";
}

std::string pasteTooLarge(std::size_t size, std::size_t limit) {
    return tooLarge("The pasted text", size, limit);
}

std::string tooLarge(const std::string& what, std::size_t size, std::size_t limit) {
    return what + " is too large for the editor: it has " + withThousands(size) +
           " bytes, and the editor takes texts of up to " + withThousands(limit) +
           " bytes. A TI-85 string holds at most 32,767 bytes.";
}

std::string pasteLineTooLong(std::size_t length, std::size_t limit) {
    return lineTooLong("The pasted text", length, limit);
}

std::string lineTooLong(const std::string& what, std::size_t length, std::size_t limit) {
    return what + " has a line of " + kilobytes(length) +
           ", too long for the editor. The editor takes lines of up to " + kilobytes(limit) +
           "; a TI-85 string holds at most 32 KB.";
}

std::string replacedCharacters(std::size_t count) {
    return count == 1 ? "1 character has no TI-85 equivalent and became ?"
                      : std::to_string(count) + " characters have no TI-85 equivalent and became ?";
}

} // namespace vellum::messages
