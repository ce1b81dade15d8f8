#pragma once
// What start-up takes from Qt and the running system: where the program is,
// its command line, its icons, and a way to run the desktop's helper programs.

#include "DesktopAssociation.h"

namespace vellum {

// From the running executable (QCoreApplication must exist).
ProgramLocation currentProgramLocation();

// The icons built into the program.
DesktopIcons bundledIcons();

// Finds the program on PATH and runs it, waiting at most a few seconds.
ToolRunner systemToolRunner();

} // namespace vellum
