// The command-line rule on any argument text.
//
// - Only the last four bytes decide; the text is never split or trimmed.
// - ".VLM" and ".TXT" (any case of the letters) open a text document titled
//   "Untitled", ".85S" a string file and ".85G" a group file through the
//   string loader, titled "untitled"; nothing else opens.
// - The string loader reads a group exactly when the rule saw ".85G".
// - What the rule opens as a text document, the loader treats as a Vellum
//   document exactly when it ends in ".VLM".
// - The arguments, joined, are the text that the rule sees: the input split at
//   its NUL bytes stands for argv.
#include "FuzzSupport.h"

#include "formats/TextDocument.h"
#include "formats/VariableFile.h"
#include "shell/CommandLine.h"

#include <vector>

using namespace vellum;
using vellum::fuzz::require;

namespace {

std::string upperTail(std::string_view text) {
    std::string tail(text.substr(text.size() - std::min<std::size_t>(4, text.size())));
    for (char& c : tail) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return tail;
}

void checkRule(std::string_view line) {
    const std::optional<CommandLineAction> action = commandLineAction(line);
    const std::string tail = upperTail(line);
    if (tail == ".VLM" || tail == ".TXT") {
        require(action && action->loader == StartupLoader::Text && action->title == "Untitled",
                ".vlm and .txt open a text document titled Untitled");
        require(isVellumPath(line) == (tail == ".VLM"),
                "the loader reads a Vellum document exactly for .vlm");
    } else if (tail == ".85S" || tail == ".85G") {
        require(action && action->loader == StartupLoader::String && action->title == "untitled",
                ".85s and .85g open through the string loader titled untitled");
        require(isGroupPath(line) == (tail == ".85G"),
                "the string loader reads a group exactly for .85g");
    } else {
        require(!action, "every other ending opens nothing");
    }
    if (line.size() > 4) {
        // The bytes before the last four never matter.
        const std::string other =
            std::string(line.size() - 4, 'x') + std::string(line.substr(line.size() - 4));
        const std::optional<CommandLineAction> same = commandLineAction(other);
        require(same.has_value() == action.has_value() &&
                    (!same || (same->loader == action->loader && same->title == action->title)),
                "only the last four bytes decide");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asBytes(data, size);
    checkRule(text);

    // argv from the input: its pieces between NUL bytes.
    std::vector<std::string> pieces{""};
    for (const char c : text) {
        if (c == '\0') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    std::vector<const char*> argv{"vellum"};
    for (const std::string& piece : pieces) {
        argv.push_back(piece.c_str());
    }
    const std::string joined = joinArguments(static_cast<int>(argv.size()), argv.data());
    std::string expected(text);
    for (char& c : expected) {
        c = c == '\0' ? ' ' : c;
    }
    require(joined == expected, "the arguments joined by spaces are the command line");
    require(joinArguments(1, argv.data()).empty(), "no arguments make an empty command line");
    checkRule(joined);
    return 0;
}
