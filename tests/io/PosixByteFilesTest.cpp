// The writer's byte files on disk against what only POSIX systems have:
// FIFOs, symbolic links and signals that end the process.

#include "io/ByteFiles.h"
#include "io/Files.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

TEST(DiskFiles, OnlyFilesAndLinksCountAsRemovable) {
    ScratchFolder folder;
    io::DiskFiles files;
    const std::string file = folder / "file";
    writeBytes(file, "target");
    std::filesystem::create_symlink(file, folder / "link");
    std::filesystem::create_directory(folder / "dir");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    EXPECT_TRUE(files.exists(folder / "link").value());
    ASSERT_TRUE(files.remove(folder / "link").ok());
    EXPECT_EQ(readBytes(file), "target"); // the link went, not what it named
    for (const std::string& path :
         {folder / "dir", folder / "fifo", folder / "none", file + "/below"}) {
        EXPECT_FALSE(files.exists(path).value()) << path;
    }
    EXPECT_FALSE(files.remove(folder / "dir").ok());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
}

// The editor's staging files, more than fill one block of the register and
// some removed (their slots used again), go with a process that a signal
// ends; it still dies by that signal.
TEST(DiskFiles, StagingFilesGoWithTheProcessThatASignalEnds) {
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        ScratchFolder folder;
        const auto stageAndDie = [&] {
            io::removeStagingOnSignals();
            io::DiskFiles files;
            std::vector<std::string> made;
            for (int i = 0; i < 900; ++i) {
                made.push_back(files.stagingPathFor(folder / "a.85s"));
                (void)files.close(files.open(made.back()).value());
                if (i % 2 == 1 && i < 600) {
                    (void)files.remove(made[i - 1]);
                }
            }
            std::raise(number);
        };
        EXPECT_EXIT(stageAndDie(), testing::KilledBySignal(number), "");
        EXPECT_EQ(folder.entries(), std::vector<std::string>{});
    }
}
