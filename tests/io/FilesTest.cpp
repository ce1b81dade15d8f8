// Whole-file reads and replacements against the paths a user can give.

#include "io/Files.h"
#include "io/Staging.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace fs = std::filesystem;

TEST(ReadFile, IsBoundedAndRefusesAllButRegularFilesAtOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "needs FIFOs, /dev/zero and symbolic links, which Windows lacks";
#else
    ScratchFolder folder;
    writeBytes(folder / "small", "12345");
    fs::create_directory(folder / "dir");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "zero");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_symlink("loop", folder / "loop");
    { std::ofstream sparse(folder / "sparse", std::ios::binary); }
    fs::resize_file(folder / "sparse", std::uintmax_t{1} << 40); // 1 TB, no blocks

    const struct {
        std::string path;
        std::uint64_t bound;
        int number; // 0: read
        const char* text;
    } cases[] = {
        {folder / "small", 5, 0, ""},
        {folder / "small", 4, EFBIG, "5 bytes, more than the 4 bytes that can be read"},
        {folder / "sparse", 1 << 20, EFBIG,
         "1099511627776 bytes, more than the 1048576 bytes that can be read"},
        {folder / "dir", 100, EISDIR, "not a regular file (a folder)"},
        {folder / "fifo", 100, EINVAL, "not a regular file (a FIFO)"},
        {folder / "zero", 100, EINVAL, "not a regular file (a device)"},
        {folder / "dangling", 100, ENOENT, "No such file or directory"},
        {folder / "loop", 100, ELOOP, "Too many levels of symbolic links"},
        {folder / "small/below", 100, ENOTDIR, "Not a directory"},
        {"", 100, ENOENT, "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Result<std::string> read = io::readFile(c.path, c.bound);
        ASSERT_EQ(read.ok(), c.number == 0);
        if (read.ok()) {
            EXPECT_EQ(read.value(), "12345");
            continue;
        }
        EXPECT_EQ(read.failure().number, c.number);
        EXPECT_EQ(read.failure().text, c.text);
    }
    // Whole however the reads come: many full chunks, or the short reads of
    // a file under /proc whose size says 0.
    std::string large(200000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>('a' + i % 26);
    }
    writeBytes(folder / "large", large);
    EXPECT_EQ(io::readFile(folder / "large", large.size()).value(), large);
    const std::string smaps = io::readFile("/proc/self/smaps", 1 << 24).value();
    EXPECT_NE(smaps.find("[stack]"), std::string::npos);
    EXPECT_EQ(smaps.back(), '\n');

    // The head of any regular file, however large.
    EXPECT_EQ(io::readPrefix(folder / "small", 3).value(), "123");
    EXPECT_EQ(io::readPrefix(folder / "sparse", 4).value(), std::string(4, '\0'));
    EXPECT_FALSE(io::readPrefix(folder / "fifo", 4).ok());
#endif
}

// The staging file must fit wherever its target fits: beside a name of
// NAME_MAX bytes and in a folder whose path leaves only a few bytes.
TEST(StagingPath, FitsWhereverTheTargetFits) {
    ScratchFolder folder;
    const io::platform::NameLimits limits = io::platform::nameLimits(folder.path());
    const struct {
        fs::path target;
    } cases[] = {
        {folder.path() / "a.85s"},
        {folder.path() / std::string(limits.name, 'n')},
        {fs::path("relative.85s")},
        {fs::path("/") / std::string(limits.path - 4, 'd') / "ab"}, // two bytes of room
    };
    for (const auto& c : cases) {
        const fs::path staging = io::staging::stagingPathBeside(c.target);
        SCOPED_TRACE(staging.native().substr(0, 80));
        EXPECT_EQ(staging.parent_path(), c.target.parent_path());
        EXPECT_NE(staging.filename(), c.target.filename());
        EXPECT_LE(staging.filename().native().size(), limits.name);
        EXPECT_LE(staging.native().size(), std::max(limits.path, c.target.native().size()));
    }
    // A target name at NAME_MAX is replaced for real.
    const std::string longest = folder / std::string(limits.name, 'n');
    writeBytes(longest, "old");
    ASSERT_TRUE(io::replaceFile(longest, "new").ok());
    EXPECT_EQ(readBytes(longest), "new");
    EXPECT_EQ(folder.entries().size(), 1u);
}

// A FIFO that nobody reads: the command-line tool waits, as `cat > fifo`
// does, but the window must not, so with waiting off the write fails at once
// and the FIFO stays.
TEST(ReplaceFile, AFifoWithoutAReaderFailsAtOnceWhenWritesMustNotWait) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a FIFO, which Windows lacks";
#else
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    io::setFifoWritesWait(false);
    const Result<void> written = io::replaceFile(folder / "fifo", "text");
    io::setFifoWritesWait(true);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.failure().number, ENXIO);
    EXPECT_EQ(written.failure().text, "no program is reading from this FIFO");
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
#endif
}

TEST(FileName, IsWhatThePathLibraryCallsIt) {
    for (const char* path : {"a.txt", "dir/a.txt", "/abs/dir/a.b.txt", "dir/", "dir//a", "/", "",
                             ".", "dir/..", "./.hidden", "x y/ \xC3\xA9.vlm"}) {
        EXPECT_EQ(io::fileNameOf(path), io::pathToUtf8(io::pathFromUtf8(path).filename())) << path;
    }
}

// A batch's file where nothing stands is written without a look first; where
// anything stands, even a link that leads nowhere, nothing is written.
TEST(ReplaceBatch, WritesANewFileOnlyWhereNothingStands) {
    ScratchFolder folder;
    writeBytes(folder / "old", "old");
    fs::create_directory(folder / "dir");
#ifndef _WIN32
    fs::create_symlink("nowhere", folder / "dangling");
#endif
    io::ReplaceBatch batch;
    const Result<bool> fresh = batch.addNew(folder / "new", "new");
    ASSERT_TRUE(fresh.ok());
    if (fresh.value()) {
        EXPECT_EQ(readBytes(folder / "new"), "new");
    } // else the system has no files without names; add then does the work
    for (const char* taken : {"old", "dir", "dangling"}) {
        if (!fs::exists(fs::symlink_status(folder / taken))) {
            continue;
        }
        const Result<bool> added = batch.addNew(folder / taken, "new");
        ASSERT_TRUE(added.ok()) << taken;
        EXPECT_FALSE(added.value()) << taken;
    }
    EXPECT_EQ(readBytes(folder / "old"), "old");
    EXPECT_TRUE(fs::is_directory(folder / "dir"));
#ifndef _WIN32
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
#endif
    EXPECT_TRUE(batch.finish().empty());
}
