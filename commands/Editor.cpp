#include "Editor.h"

#include "Messages.h"

namespace vellum {

Editor::Editor(Document& document, EditorServices services) : doc_(document), services_(services) {}

Failure Editor::fail(Failure failure, const std::string& message) {
    if (services_.boxes != nullptr) {
        services_.boxes->showError(message, messages::kErrorTitle);
    }
    return failure;
}

void Editor::reportPasteLineTooLong(std::size_t bytes, std::size_t limit) {
    fail(Failure{EFBIG, {}}, messages::pasteLineTooLong(bytes, limit));
}

void Editor::reportPasteTooLarge(std::size_t bytes, std::size_t limit) {
    fail(Failure{EFBIG, {}}, messages::pasteTooLarge(bytes, limit));
}

} // namespace vellum
