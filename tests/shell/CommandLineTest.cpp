#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace vellum {
namespace {

struct Row {
    const char* commandLine;
    std::optional<StartupLoader> loader;
    const char* title;
};

// Names the row in test listings by its command line, in plain characters.
void PrintTo(const Row& row, std::ostream* os) {
    std::string name;
    for (const char c : std::string_view(row.commandLine)) {
        name += (c >= 0x21 && c <= 0x7E && c != '"' && c != '\\' && c != ';') ? c : '_';
    }
    *os << '[' << name << ']';
}

class CommandLineRule : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineRule, ChoosesLoaderAndTitleByTheLastFourCharacters) {
    const Row& row = GetParam();
    const auto action = commandLineAction(row.commandLine);
    ASSERT_EQ(action.has_value(), row.loader.has_value()) << row.commandLine;
    if (action) {
        EXPECT_EQ(action->loader, *row.loader) << row.commandLine;
        EXPECT_EQ(action->title, row.title) << row.commandLine;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineRule,
    ::testing::Values(
        // The three endings, in any case; text documents get "Untitled", strings "untitled".
        Row{"C:\\Notes\\List.VLM", StartupLoader::Text, "Untitled"},
        Row{"/home/ann/notes.vlm", StartupLoader::Text, "Untitled"},
        Row{"a.Vlm", StartupLoader::Text, "Untitled"},
        Row{"C:\\Notes\\readme.txt", StartupLoader::Text, "Untitled"},
        Row{"README.TxT", StartupLoader::Text, "Untitled"},
        Row{"C:\\Calc\\prog.85S", StartupLoader::String, "untitled"},
        Row{"prog.85s", StartupLoader::String, "untitled"},
        Row{"notes.85g", StartupLoader::String, "untitled"},
        // The whole text is one path: spaces, two "arguments", nothing trimmed.
        Row{"/home/ann/My Notes/week 1.vlm", StartupLoader::Text, "Untitled"},
        Row{"a.txt b.85s", StartupLoader::String, "untitled"},
        Row{"a.85s b.txt", StartupLoader::Text, "Untitled"}, Row{"a.vlm ", std::nullopt, ""},
        Row{" a.vlm", StartupLoader::Text, "Untitled"},
        // Quotes stay, so a quoted path ends in a quote and opens nothing.
        Row{"\"C:\\My Notes\\a.vlm\"", std::nullopt, ""},
        // Exactly four characters, and fewer (taken whole).
        Row{".vlm", StartupLoader::Text, "Untitled"}, Row{"TXT", std::nullopt, ""},
        Row{"85s", std::nullopt, ""}, Row{"", std::nullopt, ""},
        // Endings that are close but not ours.
        Row{"notes.vlm.bak", std::nullopt, ""}, Row{"notesvlm", std::nullopt, ""},
        Row{"notes.vl", std::nullopt, ""}, Row{"prog.85p", std::nullopt, ""},
        // Non-ASCII before the ending; and a letter whose upper case is "S"
        // (U+017F) must not pass for one.
        Row{"/home/zoë/café.txt", StartupLoader::Text, "Untitled"},
        Row{"prog.85\xC5\xBF", std::nullopt, ""}));

TEST(JoinArguments, JoinsEveryArgumentAfterTheProgramWithSingleSpaces) {
    const char* none[] = {"vellum"};
    EXPECT_EQ(joinArguments(1, none), "");

    const char* two[] = {"vellum", "a.txt", "b.85s"};
    EXPECT_EQ(joinArguments(3, two), "a.txt b.85s");

    // Spaces inside an argument and empty arguments are kept as they are.
    const char* odd[] = {"vellum", "My Notes/a.vlm", "", "x"};
    EXPECT_EQ(joinArguments(4, odd), "My Notes/a.vlm  x");
}

// What Qt left in argv, spelled as the wide command line spells it.
TEST(EditorCommandLine, TakesQtsLeftoversInTheirUtf8Spelling) {
    const struct {
        std::vector<std::string> utf8;
        std::vector<const char*> argv;
        std::string expected;
    } rows[] = {
        {{"a.txt", "b.85s"}, {"vellum", "a.txt", "b.85s"}, "a.txt b.85s"},
        {{"-platform", "offscreen", "C:\\a.vlm"}, {"vellum", "C:\\a.vlm"}, "C:\\a.vlm"},
        // The ANSI code page has no θ: argv holds "?" where the file's name has it.
        {{"-style", "fusion", "C:\\Élève\\θ.vlm"},
         {"vellum", "C:\\\xC9l\xE8ve\\?.vlm"},
         "C:\\Élève\\θ.vlm"},
        {{"-platform", "offscreen"}, {"vellum"}, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(editorCommandLine(row.utf8, static_cast<int>(row.argv.size()), row.argv.data()),
                  row.expected);
    }
}

} // namespace
} // namespace vellum
