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
