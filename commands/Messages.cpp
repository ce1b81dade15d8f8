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

// A size in megabytes with one decimal, for people.
std::string megabytes(std::size_t bytes) {
    const std::size_t tenths = (bytes * 10 + (1 << 19)) >> 20;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

} // namespace

std::string pasteTooLarge(std::size_t size, std::size_t limit) {
    return tooLarge("The pasted text", size, limit);
}

std::string tooLarge(const std::string& what, std::size_t size, std::size_t limit) {
    return what + " is too large for the editor (" + megabytes(size) +
           "). The editor takes texts of up to " + megabytes(limit) +
           "; a TI-85 string holds at most 32 KB.";
}

} // namespace vellum::messages
