// The file layer on Windows: bytes pass unchanged whatever the path looks
// like, a replaced file keeps its read-only flag, and failures read as they do
// on every other platform.

#include "io/Files.h"
#include "io/Platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

using namespace vellum;
namespace fs = std::filesystem;

namespace {

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

struct WindowsFiles : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("vellum-" + std::to_string(GetCurrentProcessId()));
    void SetUp() override { fs::create_directories(root); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    // root, then the levels joined by the given separator.
    std::string pathBelow(std::initializer_list<const char*> levels, char separator) const {
        std::string path = utf8(root);
        std::replace(path.begin(), path.end(), '\\', separator);
        for (const char* level : levels) {
            path += separator;
            path += level;
        }
        return path;
    }
};

// What a program that knows nothing of our layer reads there.
std::string bytesAt(const std::string& pathUtf8) {
    std::ifstream in(io::pathFromUtf8(pathUtf8), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string kFileBytes =
    std::string("**TI85**\x1A\x0C\x00", 11) + "a\r\nb\nc\rd\x1A\xFF" + std::string(3, '\0');

} // namespace

TEST_F(WindowsFiles, BytesPassUnchangedThroughEveryShapeOfPath) {
    const struct {
        const char* folder;
        const char* name;
        char separator;
    } cases[] = {
        {"plain", "a.85s", '\\'},
        {"with space", "b c.85s", '/'},
        {"\xC3\x89l\xC3\xA8ve \xCE\xB8", "\xCE\xA9mega.vlm", '\\'}, // Élève θ, Ωmega
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        fs::create_directories(io::pathFromUtf8(pathBelow({c.folder}, '\\')));
        const std::string target = pathBelow({c.folder, c.name}, c.separator);
        // A longer file first: replacing it must leave nothing of its tail.
        ASSERT_TRUE(io::replaceFile(target, std::string(100, 'Z')).ok());
        const Result<void> replaced = io::replaceFile(target, kFileBytes);
        ASSERT_TRUE(replaced.ok()) << replaced.failure().text;
        EXPECT_EQ(bytesAt(target), kFileBytes);
        const Result<std::string> read = io::readFile(target, 1000);
        ASSERT_TRUE(read.ok()) << read.failure().text;
        EXPECT_EQ(read.value(), kFileBytes);
    }
}

TEST_F(WindowsFiles, AReplacedReadOnlyFileStaysReadOnly) {
    const std::string target = pathBelow({"locked.85s"}, '\\');
    ASSERT_TRUE(io::replaceFile(target, "old").ok());
    const fs::path native = io::pathFromUtf8(target);
    ASSERT_TRUE(SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY));
    const Result<void> replaced = io::replaceFile(target, kFileBytes);
    ASSERT_TRUE(replaced.ok()) << replaced.failure().text;
    EXPECT_EQ(bytesAt(target), kFileBytes);
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
