// Whole-file reads and replacements against the paths a user can give.

#include "io/Files.h"
#include "io/Platform.h"
#include "io/Staging.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::writeBytes;

namespace fs = std::filesystem;

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

TEST(FileName, IsWhatThePathLibraryCallsIt) {
    for (const char* path : {"a.txt", "dir/a.txt", "/abs/dir/a.b.txt", "dir/", "dir//a", "/", "",
                             ".", "dir/..", "./.hidden", "x y/ \xC3\xA9.vlm"}) {
        EXPECT_EQ(io::fileNameOf(path), io::pathToUtf8(io::pathFromUtf8(path).filename())) << path;
    }
}

// A batch replaces an existing file when it finishes, after one flush for
// all; where nothing waits for a flush (a file system held in memory only),
// at once. Either way the file keeps its mode and no staging file stays.
TEST(ReplaceBatch, ReplacesAtOnceOnlyWhereNothingWaitsForAFlush) {
    ScratchFolder folder;
    std::vector<fs::path> places = {folder.path()};
    const fs::path inMemory =
        fs::path("/dev/shm") / ("vellum-batch-" + std::to_string(std::random_device{}()));
    std::error_code none;
    if (fs::is_directory("/dev/shm", none) && fs::create_directory(inMemory, none)) {
        places.push_back(inMemory);
    }
    for (const fs::path& place : places) {
        const bool atOnce = io::platform::heldInMemoryOnly(place / "a.85s");
        const std::string file = io::pathToUtf8(place / "a.85s");
        writeBytes(file, "old");
        fs::permissions(file,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        const fs::perms mode = fs::status(file).permissions(); // as this system keeps it
        io::ReplaceBatch batch;
        ASSERT_TRUE(batch.add(file, "new").ok()) << place;
        EXPECT_EQ(readBytes(file), atOnce ? "new" : "old") << place;
        for (const io::ReplaceBatch::Outcome& outcome : batch.finish()) {
            EXPECT_TRUE(outcome.result.ok()) << outcome.target;
        }
        EXPECT_EQ(readBytes(file), "new") << place;
        EXPECT_EQ(fs::status(file).permissions(), mode) << place;
        EXPECT_EQ(std::distance(fs::directory_iterator(place), fs::directory_iterator()), 1)
            << place;
    }
    if (places.size() > 1) {
        fs::remove_all(places.back());
    }
}

// A batch's file where nothing stands is written without a look first; where
// anything stands, even a link that leads nowhere, nothing is written.
TEST(ReplaceBatch, WritesANewFileOnlyWhereNothingStands) {
    ScratchFolder folder;
    writeBytes(folder / "old", "old");
    fs::create_directory(folder / "dir");
    if (support::kHasSymbolicLinks) {
        fs::create_symlink("nowhere", folder / "dangling");
    }
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
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
    EXPECT_TRUE(batch.finish().empty());
}
