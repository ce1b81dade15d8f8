// Whole-file reads and replacements against what only POSIX systems have:
// FIFOs, devices, symbolic links and /proc.

#include "io/Files.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace fs = std::filesystem;

TEST(ReadFile, IsBoundedAndRefusesAllButRegularFilesAtOnce) {
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
}

// A FIFO that nobody reads: the command-line tool waits, as `cat > fifo`
// does, but the window must not, so with waiting off the write fails at once
// and the FIFO stays.
TEST(ReplaceFile, AFifoWithoutAReaderFailsAtOnceWhenWritesMustNotWait) {
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    io::setFifoWritesWait(false);
    const Result<void> written = io::replaceFile(folder / "fifo", "text");
    io::setFifoWritesWait(true);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.failure().number, ENXIO);
    EXPECT_EQ(written.failure().text, "no program is reading from this FIFO");
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
}
