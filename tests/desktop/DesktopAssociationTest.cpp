#include "desktop/DesktopAssociation.h"
#include "tests/support/ScratchFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace vellum {
namespace {

using support::readBytes;
using support::ScratchFolder;
using support::writeBytes;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

const DesktopIcons kIcons{"<svg program/>", "p16", "p32", "<svg document/>", "d16", "d32"};

class DesktopAssociationTest : public ::testing::Test {
  protected:
    ScratchFolder dir;
    XdgFolders folders{dir / "data", dir / "config"};
    ProgramLocation program{"/opt/vellum/bin", "vellum", '/'};
    std::vector<std::string> ran;

    DesktopAssociationReport associate() {
        const ToolRunner runner = [this](const std::string& tool,
                                         const std::vector<std::string>& arguments) {
            ran.push_back(tool + " " + arguments.at(0));
            // Stand in for the tools: leave the caches they make.
            writeBytes(fs::path(arguments.at(0)) /
                           (tool == "update-mime-database" ? "mime.cache" : "mimeinfo.cache"),
                       "cache");
            return true;
        };
        return associateWithDesktop(program, associationEntries(program), folders, kIcons, runner);
    }

    fs::path desktopFile() const {
        return folders.dataHome / "applications/org.vellum.Vellum.desktop";
    }
    fs::path mimeFile() const { return folders.dataHome / "mime/packages/org.vellum.Vellum.xml"; }
    fs::path mimeapps() const { return folders.configHome / "mimeapps.list"; }

    // Every file below the scratch folder, for checks that nothing was rewritten.
    std::map<fs::path, fs::file_time_type> ageEverything() {
        std::map<fs::path, fs::file_time_type> times;
        const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            if (entry.is_regular_file()) {
                fs::last_write_time(entry.path(), past);
                times[entry.path()] = past;
            }
        }
        return times;
    }
    std::map<fs::path, fs::file_time_type> times() {
        std::map<fs::path, fs::file_time_type> result;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            if (entry.is_regular_file()) {
                result[entry.path()] = fs::last_write_time(entry.path());
            }
        }
        return result;
    }
};

TEST_F(DesktopAssociationTest, FirstStartWritesTheTypeTheEntryTheIconsAndTheDefault) {
    const auto report = associate();
    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(report.filesWritten, 9);

    const std::string mime = readBytes(mimeFile());
    EXPECT_THAT(mime, HasSubstr("<mime-type type=\"application/x-vellum\">\n"
                                "    <comment>Vellum File</comment>\n"
                                "    <sub-class-of type=\"text/plain\"/>\n"
                                "    <icon name=\"application-x-vellum\"/>\n"
                                "    <glob pattern=\"*.vlm\"/>\n"));
    EXPECT_THAT(mime, HasSubstr("<mime-type type=\"application/x-ti85-string\">"));
    EXPECT_THAT(mime, HasSubstr("<match type=\"string\" offset=\"0\" value=\"**TI85**\">"));
    EXPECT_THAT(mime, HasSubstr("<glob pattern=\"*.85s\"/>"));

    const std::string entry = readBytes(desktopFile());
    EXPECT_THAT(entry, HasSubstr("\nExec=/opt/vellum/bin/vellum %f\n"));
    EXPECT_THAT(entry, HasSubstr("\nMimeType=application/x-vellum;application/x-ti85-string;\n"));
    EXPECT_THAT(entry, HasSubstr("\nIcon=org.vellum.Vellum\n"));
    EXPECT_THAT(entry,
                HasSubstr("\n[Desktop Action Edit]\nName=Edit\nExec=/opt/vellum/bin/vellum %f\n"));

    const fs::path hicolor = folders.dataHome / "icons/hicolor";
    EXPECT_EQ(readBytes(hicolor / "scalable/apps/org.vellum.Vellum.svg"), "<svg program/>");
    EXPECT_EQ(readBytes(hicolor / "16x16/apps/org.vellum.Vellum.png"), "p16");
    EXPECT_EQ(readBytes(hicolor / "32x32/apps/org.vellum.Vellum.png"), "p32");
    EXPECT_EQ(readBytes(hicolor / "scalable/mimetypes/application-x-vellum.svg"),
              "<svg document/>");
    EXPECT_EQ(readBytes(hicolor / "16x16/mimetypes/application-x-vellum.png"), "d16");
    EXPECT_EQ(readBytes(hicolor / "32x32/mimetypes/application-x-vellum.png"), "d32");

    // Only the document type becomes ours by default; strings are merely offered.
    EXPECT_EQ(readBytes(mimeapps()),
              "[Default Applications]\napplication/x-vellum=org.vellum.Vellum.desktop;\n");

    EXPECT_TRUE(report.mimeDatabaseRebuilt);
    EXPECT_TRUE(report.desktopDatabaseRebuilt);
    EXPECT_EQ(ran, (std::vector<std::string>{
                       "update-mime-database " + (folders.dataHome / "mime").string(),
                       "update-desktop-database " + (folders.dataHome / "applications").string()}));
}

TEST_F(DesktopAssociationTest, ALaterStartWithNothingChangedWritesAndRunsNothing) {
    associate();
    ran.clear();
    const auto before = ageEverything();
    const auto report = associate();
    EXPECT_EQ(report.filesWritten, 0);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(times(), before);
}

TEST_F(DesktopAssociationTest, AMovedProgramRewritesOnlyWhatNamesItsPath) {
    associate();
    ran.clear();
    ageEverything();
    program.folder = "/home/ann/vellum";
    const auto report = associate();
    EXPECT_EQ(report.filesWritten, 1);
    EXPECT_THAT(readBytes(desktopFile()), HasSubstr("Exec=/home/ann/vellum/vellum %f"));
    EXPECT_EQ(ran, (std::vector<std::string>{"update-desktop-database " +
                                             (folders.dataHome / "applications").string()}));
}

TEST_F(DesktopAssociationTest, ADatabaseOlderThanItsSourceIsRebuiltEvenWhenTheSourceIsUnchanged) {
    associate();
    ran.clear();
    // As if the tool had been killed last time: the cache predates the package.
    fs::last_write_time(folders.dataHome / "mime/mime.cache",
                        fs::last_write_time(mimeFile()) - std::chrono::seconds(10));
    associate();
    EXPECT_EQ(ran, (std::vector<std::string>{"update-mime-database " +
                                             (folders.dataHome / "mime").string()}));
}

TEST_F(DesktopAssociationTest, TheUsersOtherDefaultsAreKept) {
    writeBytes(
        mimeapps(),
        "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
        "[Default Applications]\ntext/plain=gedit.desktop;\napplication/x-vellum=other.desktop;\n"
        "image/png=eog.desktop;\n\n[Removed Associations]\n");
    const std::string before = readBytes(mimeapps());
    associate();
    EXPECT_EQ(readBytes(mimeapps()), before); // .vlm's too: the user chose another
}

TEST(WithDefaultApplication, AddsTheLineToTheRightSection) {
    const std::string line = "application/x-vellum=org.vellum.Vellum.desktop;\n";
    EXPECT_EQ(withDefaultApplication(""), "[Default Applications]\n" + line);
    EXPECT_EQ(withDefaultApplication("[Added Associations]\na=b;\n"),
              "[Added Associations]\na=b;\n\n[Default Applications]\n" + line);
    EXPECT_EQ(
        withDefaultApplication("[Default Applications]\na=b;\n\n[Added Associations]\nc=d;\n"),
        "[Default Applications]\na=b;\n" + line + "\n[Added Associations]\nc=d;\n");
    // Already there: the same text comes back, so nothing is written.
    const std::string done = "[Default Applications]\n" + line;
    EXPECT_EQ(withDefaultApplication(done), done);
    // A line that names any application is the user's; one naming none is filled in.
    for (const char* kept :
         {"other.desktop;", " other.desktop", "org.vellum.Vellum.desktop;other.desktop;"}) {
        const std::string list =
            "[Default Applications]\napplication/x-vellum=" + std::string(kept) + "\n";
        EXPECT_EQ(withDefaultApplication(list), list);
    }
    EXPECT_EQ(withDefaultApplication("[Default Applications]\napplication/x-vellum= ;\n"),
              "[Default Applications]\n" + line);
}

TEST(ExecArgument, QuotesAndEscapesAsDesktopEntriesRequire) {
    EXPECT_EQ(execArgument("/usr/bin/vellum"), "/usr/bin/vellum");
    EXPECT_EQ(execArgument("/opt/my apps/vellum"), "\"/opt/my apps/vellum\"");
    // Inside quotes " ` $ \ take a backslash; then the string escape doubles
    // every backslash once more.
    EXPECT_EQ(execArgument("/opt/a\"b/vellum"), "\"/opt/a\\\\\"b/vellum\"");
    EXPECT_EQ(execArgument("/opt/$HOME/vellum"), "\"/opt/\\\\$HOME/vellum\"");
    EXPECT_EQ(execArgument("/opt/a\\b/vellum"), "\"/opt/a\\\\\\\\b/vellum\"");
    EXPECT_EQ(execArgument("/opt/it's/vellum"), "\"/opt/it's/vellum\"");
    // A percent sign is not a field code.
    EXPECT_EQ(execArgument("/opt/100%/vellum"), "/opt/100%%/vellum");
}

// A desktop entry is UTF-8 only: none for a path that is not, and no default naming it.
TEST_F(DesktopAssociationTest, AProgramPathThatIsNotUtf8GetsNoDesktopEntry) {
    const std::pair<std::string, bool> rows[] = {
        {"/\xC3\xA9", true}, {"/\xE9", false}, {"/\xED\xA0\x80", false}, {"/\xC0\xAF", false}};
    for (const auto& [folder, utf8] : rows) {
        fs::remove_all(dir.path());
        program.folder = folder;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(associate().desktopEntrySkipped, !utf8) << folder;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), utf8 ? 0 : 1) << said;
        EXPECT_EQ(fs::exists(mimeapps()) && fs::exists(desktopFile()), utf8) << folder;
    }
}

TEST_F(DesktopAssociationTest, AnUnwritableDataFolderFailsQuietlyAndTouchesNoDefault) {
    writeBytes(dir / "data", "a file where the data folder should be");
    const auto report = associate();
    EXPECT_EQ(report.filesWritten, 0);
    EXPECT_GT(report.failures, 0);
    EXPECT_TRUE(ran.empty());
    // Without the entry, pointing the user's default at it would break .vlm files.
    EXPECT_FALSE(fs::exists(mimeapps()));
}

// The entry the editor writes must be valid for the desktop's own checker.
TEST_F(DesktopAssociationTest, DesktopFileValidateAcceptsTheEntry) {
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    for (const std::string folder : {"/usr/bin", "/opt/my apps/100% \"odd\" $dir"}) {
        program.folder = folder;
        associate();
        const std::string command = "desktop-file-validate '" + desktopFile().string() + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        EXPECT_EQ(pclose(pipe), 0) << output;
        EXPECT_EQ(output, "") << folder;
    }
}

} // namespace
} // namespace vellum

namespace vellum {
namespace {

// The files the package installs are what the editor itself would write for
// a program found through PATH; regenerate them when this fails.
TEST(InstalledData, MatchesWhatTheEditorWrites) {
    const ProgramLocation onPath{"", "vellum", '/'};
    const auto entries = associationEntries(onPath);
    const std::filesystem::path data = std::filesystem::path(VELLUM_SOURCE_DIR) / "data";
    EXPECT_EQ(readBytes(data / "org.vellum.Vellum.desktop"), desktopEntry(onPath, entries));
    EXPECT_EQ(readBytes(data / "org.vellum.Vellum.xml"), mimePackage(entries));
}

} // namespace
} // namespace vellum
