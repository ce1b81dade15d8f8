// What the subcommands share at their edges: reading their arguments and
// reporting on the error stream.

#include "Commands.h"

#include "io/Files.h"

#include <algorithm>
#include <ostream>

namespace vellum::cli {

std::optional<io::NativeHandle> outputStream(std::string_view output) {
    if (output == kStandardStream) {
        return io::platform::standardOutput();
    }
    return io::streamAt(output);
}

std::string outputIsTheInput(const std::string& output) {
    return "the output " + output + " is the input itself; nothing written";
}

std::optional<Arguments> parseArguments(const Args& args, const std::string& command,
                                        std::initializer_list<ValueOption> options, Io io,
                                        std::initializer_list<FlagOption> flags) {
    Arguments parsed;
    bool onlyInputs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty()) {
            report(io, command + ": an empty input names no file (see vellum-cli " + command +
                           " --help)");
            return std::nullopt;
        }
        if (onlyInputs || arg[0] != '-' || arg == "-") {
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
        if (const auto* flag =
                std::find_if(flags.begin(), flags.end(),
                             [&arg](const FlagOption& f) { return arg == f.longName; });
            flag != flags.end()) {
            *flag->value = true;
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
        if (option->namesFile && value->empty()) {
            report(io, command + ": the empty " + option->longName +
                           " names no file (see vellum-cli " + command + " --help)");
            return std::nullopt;
        }
        *option->value = std::move(value);
    }
    return parsed;
}

bool parseEncoding(const std::optional<std::string>& name, const std::string& command,
                   std::optional<TextEncoding>& encoding, Io io) {
    std::string lower = name.value_or("auto");
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "auto") {
        encoding.reset();
    } else if (lower == "utf-8" || lower == "utf8") {
        encoding = TextEncoding::Utf8;
    } else if (lower == "ti85" || lower == "ti-85") {
        encoding = TextEncoding::Calculator;
    } else {
        report(io, command + ": unknown encoding \"" + *name + "\" (auto, utf-8 or ti85)");
        return false;
    }
    return true;
}

Result<std::string> readStandardInputBytes() {
    return io::readStandardInput(kLargestTextFile);
}

bool standardInputAtMostOnce(const std::vector<std::string>& inputs, const std::string& command,
                             Io io) {
    if (std::count(inputs.begin(), inputs.end(), kStandardStream) > 1) {
        report(io, command + ": standard input (-) can be read only once");
        return false;
    }
    return true;
}

void report(Io io, const std::string& line) {
    io.err << kProgram << ": " << line << '\n';
}

} // namespace vellum::cli
