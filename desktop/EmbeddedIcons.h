#pragma once
// The icon files of data/icons, built into the program as bytes, for the
// desktop files that "vellum-cli register" installs without Qt's resources.

#include "DesktopAssociation.h"

#include <string_view>

namespace vellum {

// The bytes of the embedded file of that name ("vellum-16.png"); empty for a
// name that was not embedded.
std::string_view embeddedFile(std::string_view name);

// The program's and the document's icons.
DesktopIcons embeddedIcons();

} // namespace vellum
