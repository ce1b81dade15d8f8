#include "CommandLine.h"

#include <algorithm>
#include <array>

namespace vellum {

namespace {

struct Ending {
    std::string_view upperCase;
    StartupLoader loader;
    const char* title;
};

// Compared in this order; the first match wins.
constexpr std::array<Ending, 4> kEndings{{
    {".VLM", StartupLoader::Text, "Untitled"},
    {".TXT", StartupLoader::Text, "Untitled"},
    {".85S", StartupLoader::String, "untitled"},
    {".85G", StartupLoader::String, "untitled"}, // a group: the string loader offers its strings
}};

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::optional<CommandLineAction> commandLineAction(std::string_view commandLine) {
    if (commandLine.empty()) {
        return std::nullopt;
    }
    // Bytes, not code points: every ending we look for is ASCII, and a UTF-8
    // sequence never contains an ASCII byte, so the two counts agree on every
    // ending that can match. Only ASCII letters are upper-cased, so no exotic
    // letter (a long s, say) can pose as one of ours.
    const std::string_view tail =
        commandLine.substr(commandLine.size() - std::min<std::size_t>(4, commandLine.size()));
    std::string upper(tail);
    std::transform(upper.begin(), upper.end(), upper.begin(), asciiUpper);
    for (const Ending& ending : kEndings) {
        if (upper == ending.upperCase) {
            return CommandLineAction{ending.loader, ending.title};
        }
    }
    return std::nullopt;
}

std::string joinArguments(int argc, const char* const* argv, int first) {
    std::string text;
    for (int i = first; i < argc; ++i) {
        if (i > first) {
            text += ' ';
        }
        text += argv[i];
    }
    return text;
}

std::string editorCommandLine(const std::vector<std::string>& allUtf8, int argc,
                              const char* const* argv) {
    std::string text;
    int next = 1; // the next argument Qt left in argv
    for (const std::string& argument : allUtf8) {
        if (next >= argc) {
            break;
        }
        const bool ascii = std::all_of(argument.begin(), argument.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (argument == argv[next] || !ascii) {
            text += (next > 1 ? " " : "") + argument;
            ++next;
        }
    }
    return text;
}

} // namespace vellum
