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

// A size in megabytes with one decimal, for people.
std::string megabytes(std::size_t bytes) {
    const std::size_t tenths = (bytes * 10 + (1 << 19)) >> 20;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
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
    return what + " is too large for the editor (" + megabytes(size) +
           "). The editor takes texts of up to " + megabytes(limit) +
           "; a TI-85 string holds at most 32 KB.";
}

} // namespace vellum
