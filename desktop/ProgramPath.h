#pragma once
// Where a program lives and what it was started with, without a toolkit: for
// vellum-cli, which registers the editor from outside it, and for the editor
// itself (shell/QtDesktop.h).

#include "Association.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// What differs between platforms is in PosixProgramPath.cpp and
// Win32ProgramPath.cpp.

// The file name of the editor's executable, beside vellum-cli once installed
// ("vellum", on Windows "vellum.exe").
std::string_view editorFileName();

// The running executable's full path, UTF-8 (GetModuleFileNameW on Windows,
// /proc/self/exe elsewhere); empty when the system cannot say.
std::string runningExecutable();

// A program's folder and file name from its path (UTF-8), the folder made
// absolute and written with the platform's separator. The name keeps its
// extension: a Windows icon location or command needs the ".exe".
ProgramLocation locationOfProgram(std::string_view utf8Path);

// The program's arguments as UTF-8, without its own name. On Windows they
// come from the wide command line, since argv holds them in the ANSI code
// page, where any letter outside it is already lost.
std::vector<std::string> utf8Arguments(int argc, char** argv);

} // namespace vellum
