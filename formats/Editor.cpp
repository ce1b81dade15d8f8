#include "Editor.h"

namespace vellum {

Editor::Editor(Document& document, EditorServices services)
    : doc_(document), services_(services) {
    // The unsaved-changes prompt asks through the message boxes and saves
    // through the Save command, like the buttons do.
    doc_.setQuestion([this](const std::string& message, const std::string& title) {
        return services_.boxes != nullptr ? services_.boxes->askYesNoCancel(message, title)
                                          : Answer::Cancel;
    });
    doc_.setSaveCommand([this] { cmdSave_Click(); });
}

} // namespace vellum
