// vellum-cli check, run in-process.

#include "ReaderCliFixture.h"
#include "tests/support/StringFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace vellum;
using vellum::support::CliOutcome;
using vellum::support::readBytes;
using vellum::support::writeBytes;

namespace {

using CheckTest = vellum::support::ReaderCliFixture;

} // namespace

TEST_F(CheckTest, CheckPrintsOneLinePerFile) {
    const std::string good = stringFile("good.85s", "note", "AB\r\nC");
    std::string bad = readBytes(good);
    bad[72] = 'b';
    writeBytes(folder / "bad.85s", bad);
    std::string other = readBytes(good);
    other[70] = 0x01;
    vellum::support::fixChecksum(other);
    writeBytes(folder / "other.85s", other);

    CliOutcome r = check({good});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, good + ": valid, string \"note\" in the viewer's layout (00 EF, 4 text "
                            "bytes, 00 00)\n");

    r = check({good, folder / "other.85s", folder / "bad.85s", folder / "missing.85s"});
    EXPECT_EQ(r.status, 1);
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) {
        all.push_back(line);
    }
    ASSERT_EQ(all.size(), 4u) << r.out;
    EXPECT_EQ(all[1], (folder / "other.85s") +
                          ": valid, string \"note\" of 8 bytes, not in the viewer's layout: the "
                          "string starts with 00 01, not 00 EF");
    EXPECT_EQ(all[2], (folder / "bad.85s") +
                          ": invalid: the checksum is 0x03A9, the bytes add up to 0x03C9");
    EXPECT_EQ(all[3], (folder / "missing.85s") + ": cannot be read: No such file or directory");

    EXPECT_EQ(check({}).status, 2);
}

TEST_F(CheckTest, CheckCopesWithHugeFiles) {
    const std::string huge = stringFile("huge.85s", "h", "x");
    std::filesystem::resize_file(huge, 120u << 20);
    const CliOutcome r = check({huge});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, huge +
                         ": invalid: the data-section length 16 needs a file of 73 bytes, but the "
                         "file has 125829120\n");
}
