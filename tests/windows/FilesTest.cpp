// The file layer on Windows: a read-only file is refused and kept, a
// hard-linked one written in place, and failures read as they do on every
// other platform. (Bytes and shapes of paths: tests/windows/same_files.sh,
// against the Linux build.)

#include "io/Files.h"
#include "io/Platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

using namespace vellum;
namespace fs = std::filesystem;

namespace {

struct WindowsFiles : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("vellum-" + std::to_string(GetCurrentProcessId()));
    void SetUp() override { fs::create_directories(root); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    // root, then the levels joined by the given separator.
    std::string pathBelow(std::initializer_list<const char*> levels, char separator) const {
        std::string path = io::pathToUtf8(root);
        std::replace(path.begin(), path.end(), '\\', separator);
        for (const char* level : levels) {
            path += separator;
            path += level;
        }
        return path;
    }
};

const std::string kFileBytes = std::string("**TI85**\x1A\x0C\x00\r\n\n", 14);

} // namespace

TEST_F(WindowsFiles, AReadOnlyFileIsRefusedAndKept) {
    const std::string target = pathBelow({"locked.85s"}, '\\');
    ASSERT_TRUE(io::replaceFile(target, "old").ok());
    const fs::path native = io::pathFromUtf8(target);
    ASSERT_TRUE(SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY));
    const Result<void> replaced = io::replaceFile(target, kFileBytes);
    ASSERT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.failure().number, EACCES);
    EXPECT_EQ(io::readFile(target, 100).value(), "old");
    EXPECT_NE(GetFileAttributesW(native.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsFiles, FailuresCarryTheGenericNumbersAndTexts) {
    fs::create_directories(root / "folder");
    // The texts every platform shows, never the Windows table's ("Not ready").
    const struct {
        const char* what;
        Failure found;
        Failure expected;
    } cases[] = {
        {"missing file", io::readFile(pathBelow({"nothing.vlm"}, '\\'), 100).failure(),
         Failure::fromErrno(ENOENT)},
        {"folder", io::readFile(pathBelow({"folder"}, '/'), 100).failure(),
         io::notRegularFile(io::FileKind::Folder)},
        {"missing folder", io::replaceFile(pathBelow({"no", "x.85s"}, '\\'), "x").failure(),
         Failure::fromErrno(ENOENT)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.found.number, c.expected.number) << c.what;
        EXPECT_NE(c.found.text.find(c.expected.text), std::string::npos)
            << c.what << ": " << c.found.text;
    }
}

TEST_F(WindowsFiles, AHardLinkedFileIsWrittenInPlaceAndKeepsItsLinks) {
    const std::string target = pathBelow({"notes.85s"}, '\\');
    const std::string other = pathBelow({"copy.85s"}, '\\');
    ASSERT_TRUE(io::replaceFile(target, "old").ok());
    if (!CreateHardLinkW(io::pathFromUtf8(other).c_str(), io::pathFromUtf8(target).c_str(),
                         nullptr)) {
        GTEST_SKIP() << "no hard links on this file system";
    }
    ASSERT_TRUE(io::replaceFile(target, kFileBytes).ok());
    // A rename over the name would have left the other name with the old bytes.
    EXPECT_EQ(io::readFile(other, 100).value(), kFileBytes);
    EXPECT_EQ(io::readFile(target, 100).value(), kFileBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2);
}
