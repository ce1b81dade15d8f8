// The writer's byte files on disk, and the test aid that breaks them.

#include "io/ByteFiles.h"
#include "io/Files.h"
#include "tests/support/FailingFiles.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace vellum;
using vellum::support::FailingFiles;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;
using Handle = io::ByteFiles::Handle;

TEST(DiskFiles, WritesAndReadsAtOffsetsWithZerosPastTheEnd) {
    ScratchFolder folder;
    io::DiskFiles files;
    const std::string path = folder / "f";
    const Handle handle = files.open(path).value();
    ASSERT_TRUE(files.write(handle, 4, "tail").ok());
    ASSERT_TRUE(files.write(handle, 0, "he").ok());
    EXPECT_EQ(files.read(handle, 1, 10).value(), std::string("e\0\0tail\0\0\0", 10));
    ASSERT_TRUE(files.close(handle).ok());
    EXPECT_EQ(readBytes(path), std::string("he\0\0tail", 8));

    // Opening again keeps the bytes.
    ASSERT_TRUE(files.close(files.open(path).value()).ok());
    EXPECT_EQ(readBytes(path).size(), 8u);

    // A handle that is not open fails every operation, even an empty write.
    EXPECT_EQ(files.write(io::kNoHandle, 0, "").failure().number, EBADF);
    EXPECT_EQ(files.read(io::kNoHandle, 0, 0).failure().number, EBADF);
    EXPECT_EQ(files.close(handle).failure().number, EBADF);
}

TEST(BufferedFiles, AHandleStopsWorkingWhenItsFileGoes) {
    std::string delivered;
    io::BufferedFiles files([&](const std::string&, std::string bytes) {
        delivered = std::move(bytes);
        return Result<void>{};
    });
    const Handle removed = files.open("a").value();
    ASSERT_TRUE(files.write(removed, 0, "gone").ok());
    ASSERT_TRUE(files.remove("a").ok());
    EXPECT_EQ(files.write(removed, 0, "x").failure().number, EBADF);

    const Handle replaced = files.open("b").value();
    ASSERT_TRUE(files.write(replaced, 2, "yz").ok());
    ASSERT_TRUE(files.replace("b", "target").ok());
    EXPECT_EQ(delivered, std::string("\0\0yz", 4));
    EXPECT_EQ(files.read(replaced, 0, 1).failure().number, EBADF);
}

TEST(FailingFiles, FailsTheChosenCallsAndPassesTheRest) {
    ScratchFolder folder;
    io::DiskFiles disk;
    FailingFiles files(disk);
    files.failCall(FailingFiles::Op::Write, 2, {28, "No space left on device"});
    files.failFrom(FailingFiles::Op::Read, 2, {5, "Input/output error"});
    const Handle handle = files.open(folder / "f").value();
    EXPECT_TRUE(files.write(handle, 0, "a").ok());
    EXPECT_EQ(files.write(handle, 1, "b").failure().number, 28);
    EXPECT_TRUE(files.write(handle, 2, "c").ok());
    EXPECT_EQ(files.read(handle, 0, 3).value(), std::string("a\0c", 3)); // nothing written
    EXPECT_EQ(files.read(handle, 0, 3).failure().number, 5);
    EXPECT_EQ(files.read(handle, 0, 3).failure().number, 5);
    EXPECT_TRUE(files.close(handle).ok());
    EXPECT_EQ(files.count(FailingFiles::Op::Write), 3);
    EXPECT_TRUE(files.calls()[2].failed);
}
