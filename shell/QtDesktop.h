#pragma once
// What start-up takes from Qt: where the program is when the system cannot say.

#include "desktop/DesktopAssociation.h"

namespace vellum {

// From the running executable, found as vellum-cli finds it, or else as Qt
// does (QCoreApplication must exist).
ProgramLocation currentProgramLocation();

} // namespace vellum
