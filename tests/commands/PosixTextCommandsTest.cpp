// The text-document commands against what only POSIX systems offer: a limit
// on file size, file modes and symbolic links. (tests/windows keeps the
// read-only flag.)

#include "io/Files.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/PosixFileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::FileSizeLimit;
using vellum::support::readBytes;
using vellum::support::writeBytes;

using TextCommandTest = EditorFixture;

TEST_F(TextCommandTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string path = folder / "story.txt";
    writeBytes(path, "the old story\r\n");
    dlgFile.choose(path);
    (void)editor.cmdLoad_Click();
    type(std::string(4096, 'x'));
    const auto before = snapshot();
    {
        FileSizeLimit limit(1000);
        (void)editor.cmdSave_Click();
    }
    EXPECT_EQ(readBytes(path), "the old story\r\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"story.txt"});
    // The failure is shown, and the document still counts as unsaved.
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0].title, "Error");
    EXPECT_NE(boxes.errors[0].message.find(path), std::string::npos);
    EXPECT_NE(boxes.errors[0].message.find("too large"), std::string::npos)
        << boxes.errors[0].message;
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(doc.lblSave(), "");
    EXPECT_FALSE(doc.IsSaved);
}

TEST_F(TextCommandTest, ReplacingAFileKeepsItsPermissionsAndFollowsLinks) {
    const std::string path = folder / "private.txt";
    writeBytes(path, "old\r\n");
    ::chmod(path.c_str(), 0640);
    std::filesystem::create_symlink(path, folder / "link.txt");

    ASSERT_TRUE(io::replaceFile(path, "new\r\n").ok());
    EXPECT_EQ(readBytes(path), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_TRUE(io::replaceFile((folder / "link.txt"), "via link\r\n").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.txt"));
    EXPECT_EQ(readBytes(path), "via link\r\n");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
