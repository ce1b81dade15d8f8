#pragma once
// The desktop's helper programs (update-mime-database and the like), run
// without a toolkit.

#include "DesktopAssociation.h"

namespace vellum {

// Finds the program on PATH and runs it with its output on standard error
// (the editor's and vellum-cli's alike), waiting at most ten seconds; a
// program still running then is killed. Where there are no such helpers
// (Windows), every run fails. PosixToolRunner.cpp, Win32ToolRunner.cpp.
ToolRunner processToolRunner();

} // namespace vellum
