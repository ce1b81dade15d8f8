// The real clocks and the real file layer under the writer.

#include "formats/ByteFiles.h"
#include "formats/Clocks.h"

#include "ReaderFakes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

using namespace vellum;
using vellum::testing::readBytes;
using vellum::testing::ScratchFolder;
using vellum::testing::writeBytes;

TEST(FixedUtcClock, ShowsTheMomentInUtcWithTheCLocaleFormatsInEveryYear) {
    const struct {
        std::time_t seconds;
        const char* time;
        const char* date;
    } moments[] = {
        {0, "00:00:00", "01/01/70"},
        {951782400, "00:00:00", "02/29/00"}, // a leap day
        {1796595330, "22:15:30", "12/06/26"},
        {2147483648, "03:14:08", "01/19/38"},   // past 32-bit seconds
        {32503680000, "00:00:00", "01/01/00"},  // 3000, past the Windows runtime's range
        {253402300799, "23:59:59", "12/31/99"}, // the last second of 9999
    };
    for (const auto& moment : moments) {
        FixedUtcClock clock(moment.seconds);
        EXPECT_EQ(clock.timeText(), moment.time) << moment.seconds;
        EXPECT_EQ(clock.dateText(), moment.date) << moment.seconds;
    }
}

TEST(SourceDateEpoch, TakesPlainDecimalSecondsOnly) {
    EXPECT_EQ(parseSourceDateEpoch("0"), 0);
    EXPECT_EQ(parseSourceDateEpoch("1796595330"), 1796595330);
    EXPECT_EQ(parseSourceDateEpoch("253402300799"), 253402300799); // the last second of 9999
    for (const char* bad :
         {"", "-1", "+1", " 1", "1 ", "1e9", "0x10", "253402300800", "99999999999999999999999"}) {
        EXPECT_FALSE(parseSourceDateEpoch(bad).has_value()) << bad;
    }
}

TEST(LocalClock, FollowsTheUsersLocale) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("LC_ALL", "C", 1);
    LocalClock clock;
    EXPECT_TRUE(std::regex_match(clock.timeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
    EXPECT_TRUE(std::regex_match(clock.dateText(), std::regex(R"(\d\d/\d\d/\d\d)")));
    // A locale that is not installed falls back to the C formats.
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    EXPECT_TRUE(std::regex_match(clock.timeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
    if (old != nullptr) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

TEST(PosixFiles, WritesAndReadsAtOffsetsWithZerosPastTheEnd) {
    ScratchFolder folder;
    PosixFiles files;
    const std::string path = folder / "f";
    ByteFiles::Handle handle = ByteFiles::kNoHandle;
    ASSERT_TRUE(files.open(path, handle).ok());
    ASSERT_TRUE(files.write(handle, 4, "tail").ok());
    ASSERT_TRUE(files.write(handle, 0, "he").ok());
    std::string bytes;
    ASSERT_TRUE(files.read(handle, 1, 10, bytes).ok());
    EXPECT_EQ(bytes, std::string("e\0\0tail\0\0\0", 10));
    ASSERT_TRUE(files.close(handle).ok());
    EXPECT_EQ(readBytes(path), std::string("he\0\0tail", 8));

    // Opening again keeps the bytes.
    ASSERT_TRUE(files.open(path, handle).ok());
    ASSERT_TRUE(files.close(handle).ok());
    EXPECT_EQ(readBytes(path).size(), 8u);

    // A handle that is not open fails every operation, even an empty write.
    EXPECT_EQ(files.write(ByteFiles::kNoHandle, 0, "").number, EBADF);
    EXPECT_EQ(files.read(ByteFiles::kNoHandle, 0, 0, bytes).number, EBADF);
    EXPECT_EQ(files.close(handle).number, EBADF);
}

TEST(PosixFiles, OnlyFilesAndLinksCountAsReplaceable) {
    ScratchFolder folder;
    PosixFiles files;
    const std::string file = folder / "file";
    const std::string link = folder / "link";
    const std::string dir = folder / "dir";
    writeBytes(file, "target");
    std::filesystem::create_symlink(file, link);
    std::filesystem::create_directory(dir);
    bool found = false;

    ASSERT_TRUE(files.exists(link, found).ok());
    EXPECT_TRUE(found);
    ASSERT_TRUE(files.remove(link).ok());
    EXPECT_EQ(readBytes(file), "target"); // the link went, not what it named

    ASSERT_TRUE(files.exists(dir, found).ok());
    EXPECT_FALSE(found);
    EXPECT_FALSE(files.remove(dir).ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir));

    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(files.exists(fifo, found).ok());
    EXPECT_FALSE(found);

    ASSERT_TRUE(files.exists(folder / "none", found).ok());
    EXPECT_FALSE(found);
    ASSERT_TRUE(files.exists(file + "/below", found).ok()); // a file is no folder
    EXPECT_FALSE(found);
}

TEST(FailingFiles, FailsTheChosenCallsAndPassesTheRest) {
    ScratchFolder folder;
    PosixFiles disk;
    FailingFiles files(disk);
    files.failCall(FailingFiles::Op::Write, 2, {28, "No space left on device"});
    files.failFrom(FailingFiles::Op::Read, 2, {5, "Input/output error"});
    ByteFiles::Handle handle = ByteFiles::kNoHandle;
    ASSERT_TRUE(files.open(folder / "f", handle).ok());
    EXPECT_TRUE(files.write(handle, 0, "a").ok());
    EXPECT_EQ(files.write(handle, 1, "b").number, 28);
    EXPECT_TRUE(files.write(handle, 2, "c").ok());
    std::string bytes;
    EXPECT_TRUE(files.read(handle, 0, 3, bytes).ok());
    EXPECT_EQ(bytes, std::string("a\0c", 3)); // the failed write did nothing
    EXPECT_EQ(files.read(handle, 0, 3, bytes).number, 5);
    EXPECT_EQ(files.read(handle, 0, 3, bytes).number, 5);
    EXPECT_TRUE(files.close(handle).ok());
    EXPECT_EQ(files.count(FailingFiles::Op::Write), 3);
    EXPECT_TRUE(files.calls()[2].failed);
}
