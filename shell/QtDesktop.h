#pragma once
// What start-up takes from Qt and the running system: where the program is
// and a way to run the desktop's helper programs.

#include "desktop/DesktopAssociation.h"

namespace vellum {

// From the running executable, found as vellum-cli finds it, or else as Qt
// does (QCoreApplication must exist).
ProgramLocation currentProgramLocation();

// Finds the program on PATH and runs it, waiting at most a few seconds.
ToolRunner systemToolRunner();

} // namespace vellum
