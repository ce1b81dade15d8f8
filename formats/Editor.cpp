#include "Editor.h"

namespace vellum {

Editor::Editor(Document& document, EditorServices services) : doc_(document), services_(services) {
    // The unsaved-changes prompt asks through the message boxes and saves
    // through the Save command, like the buttons do.
    doc_.setQuestion([this](const std::string& message, const std::string& title) {
        return services_.boxes != nullptr ? services_.boxes->askYesNoCancel(message, title)
                                          : Answer::Cancel;
    });
    doc_.setSaveCommand([this] { cmdSave_Click(); });
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

std::string Editor::lineTooLongMessage(const std::string& what, std::size_t length,
                                       std::size_t limit) {
    return what + " has a line of " + kilobytes(length) +
           ", too long for the editor. The editor takes lines of up to " + kilobytes(limit) +
           "; a TI-85 string holds at most 32 KB.";
}

std::string Editor::tooLargeMessage(const std::string& what, std::size_t size, std::size_t limit) {
    // Exact byte counts: rounded to megabytes, a size just over the limit
    // reads as the limit itself.
    return what + " is too large for the editor: it has " + withThousands(size) +
           " bytes, and the editor takes texts of up to " + withThousands(limit) +
           " bytes. A TI-85 string holds at most 32,767 bytes.";
}

} // namespace vellum
