// vellum-cli check: strict validation of TI-85 string files, which the editor
// itself does not do (it looks only at the viewer's marker byte).

#include "Commands.h"

#include "formats/StringCheck.h"
#include "formats/VariableFile.h"
#include "io/Files.h"

#include <ostream>

namespace vellum::cli {

namespace {

constexpr const char* kCheckHelp = R"(Usage: vellum-cli check FILE...

Checks that each FILE is a sound TI-85 string file: the "**TI85**" signature
and the three bytes after it, a single variable entry of the string type, the
data-section length against the file size, the entry's header length against
its name, the two data lengths, the string length, the checksum, and a
variable name that is not empty (no calculator can store one that is). For a
sound file it also says whether the string has the Scrollet viewer's layout
(00 EF, the text, 00 00), which the editor needs to load it.

Prints one line per file: "valid" or the first thing wrong. FILE "-" is
standard input.

A FILE ending in .85g is a group file of several variables: one line for each
entry (its type, name and size, and for a string whether it has the viewer's
layout or is damaged), then the verdict on the whole file.

Exit status: 0 when every file (and every string of a group) is valid, 1
otherwise (also when standard output cannot be written), 2 on bad usage.
)";

std::string describe(const StringCheckResult& r) {
    if (!r.valid) {
        return "invalid: " + r.problem;
    }
    const std::string name = Charset::toUtf8(Charset::decodeText(r.name));
    if (!r.viewerLayout) {
        return "valid, string \"" + name + "\" of " + std::to_string(r.stringLength) +
               " bytes, not in the viewer's layout: " + r.layoutProblem;
    }
    return "valid, string \"" + name + "\" in the viewer's layout (00 EF, " +
           std::to_string(r.stringLength - 4) + " text bytes, 00 00)";
}

} // namespace

Result<StringCheckResult> checkFile(const std::string& path) {
    const Result<io::FileInfo> info = io::fileInfo(path);
    const Result<std::string> head = io::readPrefix(path, kCheckReadLimit);
    if (!info.ok() || !head.ok()) {
        return head.ok() ? info.failure() : head.failure();
    }
    return checkStringFile(head.value(), info.value().size);
}

namespace {

Result<StringCheckResult> checkStandardInput() {
    const Result<std::string> read = readStandardInputBytes();
    if (!read.ok()) {
        return read.failure();
    }
    return checkStringFile(read.value());
}

} // namespace

int check(const Args& args, Io io) {
    const auto parsed = parseArguments(args, "check", {}, io);
    if (!parsed) {
        return kExitUsage;
    }
    if (parsed->help) {
        io.out << kCheckHelp;
        return kExitOk;
    }
    const std::vector<std::string>& files = parsed->inputs;
    if (files.empty()) {
        report(io, "check: no file (see vellum-cli check --help)");
        return kExitUsage;
    }
    if (!standardInputAtMostOnce(files, "check", io)) {
        return kExitUsage;
    }

    bool allValid = true;
    for (const std::string& file : files) {
        if (isGroupPath(file)) {
            allValid = checkGroup(file, io) && allValid;
            continue;
        }
        const Result<StringCheckResult> result =
            file == kStandardStream ? checkStandardInput() : checkFile(file);
        if (!result.ok()) {
            io.out << file << ": cannot be read: " << result.failure().text << '\n';
            allValid = false;
            continue;
        }
        io.out << file << ": " << describe(result.value()) << '\n';
        allValid = allValid && result.value().valid;
    }
    return allValid ? kExitOk : kExitFailure;
}

} // namespace vellum::cli
