// vellum-cli register, in-process, against a scratch home folder: the store
// that stands in for the registry and the freedesktop files. (On Windows it
// writes the system registry, which tests must not touch there;
// tests/windows/register.sh reads it back in wine's own prefix.)

#include "cli/Commands.h"

#include "tests/support/Environment.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sstream>

using vellum::support::readBytes;
using vellum::support::ScopedEnvironment;
using vellum::support::ScratchFolder;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome registerWith(const vellum::cli::Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = vellum::cli::registerAssociation(args, {out, err});
    return {status, out.str(), err.str()};
}

struct RegisterTest : ::testing::Test {
    ScratchFolder folder;
    std::string registry() const { return readBytes(folder / ".local/share/vellum/registry.txt"); }
};

} // namespace

TEST_F(RegisterTest, WritesTheEntriesAndTheDesktopFilesForTheNamedEditor) {
    ScopedEnvironment home{{"HOME", folder.path().string()},
                           {"XDG_DATA_HOME", std::nullopt},
                           {"XDG_CONFIG_HOME", std::nullopt}};
    const Outcome run = registerWith({"--program", "/opt/V\xC3\xA9 llum/vellum"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(registry().find("[HKEY_CLASSES_ROOT\\.vlm\\DefaultIcon]\n"
                              "@=\"/opt/V\xC3\xA9 llum/vellum,1\""),
              std::string::npos)
        << registry();
    EXPECT_NE(registry().find("@=\"\\\"/opt/V\xC3\xA9 llum/vellum\\\" %1\""), std::string::npos);
    EXPECT_NE(readBytes(folder / ".local/share/applications/org.vellum.Vellum.desktop")
                  .find("Exec=\"/opt/V\xC3\xA9 llum/vellum\" %f"),
              std::string::npos);
    // The icons are the project's own files, carried inside the program.
    EXPECT_EQ(
        readBytes(folder / ".local/share/icons/hicolor/32x32/mimetypes/application-x-vellum.png"),
        readBytes(VELLUM_SOURCE_DIR "/data/icons/vellum-document-32.png"));
}

TEST_F(RegisterTest, SaysWhichEntriesItCouldNotWrite) {
    // A home "folder" that is a file: nothing below it can be written.
    vellum::support::writeBytes(folder / "home", "");
    ScopedEnvironment home{{"HOME", folder / "home"},
                           {"XDG_DATA_HOME", std::nullopt},
                           {"XDG_CONFIG_HOME", std::nullopt}};
    const Outcome run = registerWith({"--program", "/usr/bin/vellum"});
    EXPECT_EQ(run.status, 1);
    std::istringstream lines(run.err);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_EQ(line.rfind("vellum-cli: register: cannot write ", 0), 0u) << line;
    }
    // Four registry entries, the MIME package, the desktop entry, six icons.
    EXPECT_EQ(count, 4 + 2 + 6) << run.err;
}
