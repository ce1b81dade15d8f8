// The writer's byte files on disk against what only POSIX systems have:
// FIFOs, symbolic links and signals that end the process.

#include "io/ByteFiles.h"
#include "io/Files.h"
#include "tests/support/Environment.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScopedEnvironment;
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

// A save to a name of one of the program's own streams (/dev/fd/N) writes
// into that stream where it stands, as the command-line tool does: the file
// it was opened on keeps its other content and stays the same file, and no
// staging file stays behind, beside it or in the user's cache folder.
TEST(DiskFiles, AStreamOfTheProgramIsWrittenNeverRenamedOver) {
    ScratchFolder folder;
    ScratchFolder cache;
    const ScopedEnvironment cacheHome({{"XDG_CACHE_HOME", cache.path().string()}});
    const std::string log = folder / "log.txt";
    const auto viaReplaceFile = [](const std::string& target, const std::string& bytes) {
        return io::replaceFile(target, bytes);
    };
    const auto viaDiskFiles = [](const std::string& target, const std::string& bytes) {
        io::DiskFiles files;
        const std::string staging = files.stagingPathFor(target);
        Result<io::ByteFiles::Handle> opened = files.open(staging);
        if (!opened.ok()) {
            return Result<void>(opened.failure());
        }
        const Result<void> written = files.write(opened.value(), 0, bytes);
        (void)files.close(opened.value());
        return written.ok() ? files.replace(staging, target) : written;
    };
    const std::function<Result<void>(const std::string&, const std::string&)> saves[] = {
        viaReplaceFile, viaDiskFiles};
    for (const auto& save : saves) {
        writeBytes(log, "first\n");
        const int stream = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(stream, 0);
        struct stat before {};
        ASSERT_EQ(::stat(log.c_str(), &before), 0);

        const Result<void> saved = save("/dev/fd/" + std::to_string(stream), "second\n");
        ::close(stream);

        ASSERT_TRUE(saved.ok()) << saved.failure().text;
        EXPECT_EQ(readBytes(log), "first\nsecond\n");
        struct stat after {};
        ASSERT_EQ(::stat(log.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"log.txt"});
        for (const auto& entry : std::filesystem::recursive_directory_iterator(cache.path())) {
            EXPECT_FALSE(entry.is_regular_file()) << entry.path();
        }
    }
}
