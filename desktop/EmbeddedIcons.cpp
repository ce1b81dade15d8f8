#include "EmbeddedIcons.h"

namespace vellum {

DesktopIcons embeddedIcons() {
    const auto bytes = [](std::string_view name) { return std::string(embeddedFile(name)); };
    return DesktopIcons{
        bytes("vellum.svg"),
        bytes("vellum-16.png"),
        bytes("vellum-32.png"),
        bytes("vellum-document.svg"),
        bytes("vellum-document-16.png"),
        bytes("vellum-document-32.png"),
    };
}

} // namespace vellum
