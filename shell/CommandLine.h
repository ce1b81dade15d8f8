#pragma once
// The command-line rule: which loader opens the file named on the command
// line, and with which title.
//
// The whole argument text is one path. Its last four characters, upper-cased,
// choose the loader; the text is never split, unquoted or trimmed, so a quoted
// path or two paths simply end in something else.

#include "core/Charset.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class StartupLoader { Text, String };

struct CommandLineAction {
    StartupLoader loader;
    Bytes title; // the document title handed to the loader
};

// Nothing to open for an empty text or an ending that names no known kind.
std::optional<CommandLineAction> commandLineAction(std::string_view commandLine);

// The program's arguments (argv[first] onwards) joined by single spaces.
std::string joinArguments(int argc, const char* const* argv, int first = 1);

// The editor's command line: the arguments Qt left in argv (it takes out its
// own options, such as -platform), joined by single spaces, each spelled as
// in allUtf8, every argument in UTF-8 (on Windows from the wide command line:
// argv holds the ANSI code page's spelling, where letters outside it are
// lost). An option Qt took out is ASCII; an argument it left stands next in
// argv, spelled alike unless the code page changed its letters.
std::string editorCommandLine(const std::vector<std::string>& allUtf8, int argc,
                              const char* const* argv);

} // namespace vellum
