#include "Commands.h"

#include "io/Files.h"

#include <ostream>

namespace vellum::cli {

namespace {

// The file name through UTF-8 both ways: a narrow path on Windows would go
// through the ANSI code page and lose every letter outside it.
FileChoice choose(const std::string& path) {
    return {path, io::pathToUtf8(io::pathFromUtf8(path).filename())};
}

} // namespace

FileChoice FixedFileDialog::showOpen(const DialogSettings& /*settings*/) {
    return choose(path_);
}
FileChoice FixedFileDialog::showSave(const DialogSettings& /*settings*/) {
    return choose(path_);
}

Answer RecordingBoxes::askYesNoCancel(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
    return Answer::Cancel;
}

bool RecordingBoxes::askYesNoCritical(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
    return false;
}

void RecordingBoxes::showError(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
}

std::string RecordingBoxes::firstAsLine() const {
    if (shown_.empty()) {
        return {};
    }
    std::string line;
    for (const std::string& part : messageLines(shown_.front().message)) {
        if (!part.empty() && part != "Continue Anyway?") {
            line += line.empty() ? "" : " ";
            line += part;
        }
    }
    return line;
}

std::vector<std::string> messageLines(const std::string& message) {
    std::vector<std::string> lines;
    std::string_view rest = message;
    for (;;) {
        const auto end = rest.find("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos) {
            return lines;
        }
        rest = rest.substr(end + 2);
    }
}

std::optional<Arguments> parseArguments(const Args& args, const std::string& command,
                                        std::initializer_list<ValueOption> options, Io io) {
    Arguments parsed;
    bool onlyInputs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyInputs = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        const ValueOption* option = nullptr;
        std::optional<std::string> value;
        for (const ValueOption& candidate : options) {
            const std::string longPrefix = std::string(candidate.longName) + "=";
            if (arg == candidate.shortName || arg == candidate.longName) {
                option = &candidate;
                if (i + 1 < args.size()) {
                    value = args[++i];
                }
            } else if (arg.starts_with(longPrefix)) {
                option = &candidate;
                value = arg.substr(longPrefix.size());
            } else if (arg.starts_with(candidate.shortName) && !arg.starts_with("--")) {
                option = &candidate;
                value = arg.substr(std::string_view(candidate.shortName).size());
            }
            if (option != nullptr) {
                break;
            }
        }
        if (option == nullptr) {
            report(io, command + ": unknown option " + arg + " (see vellum-cli " + command +
                           " --help)");
            return std::nullopt;
        }
        if (!value) {
            report(io, command + ": " + arg + " needs a value");
            return std::nullopt;
        }
        *option->value = std::move(value);
    }
    return parsed;
}

void report(Io io, const std::string& line) {
    io.err << kProgram << ": " << line << '\n';
}

} // namespace vellum::cli
