#include "TempDir.h"
#include "shell/Association.h"
#include "shell/Registry.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vellum {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

constexpr std::string_view kHeader =
    "; Vellum's registry store: the keys and values the editor sets at start-up\n"
    "; where the system has no registry. Nothing the editor does depends on them.\n";

class RegistryStoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path file = dir / "data/vellum/registry.txt";
    RegistryStore store{file};
};

TEST_F(RegistryStoreTest, AssociationEntriesCreateEveryLevelInOrder) {
    const ProgramLocation program{"/opt/vellum/bin", "vellum", '/'};
    EXPECT_EQ(writeAssociationEntries(store, associationEntries(program)), 4);

    // "Shell" is created on the way to "Open", with no value of its own.
    EXPECT_EQ(readFile(file), std::string(kHeader) +
                                  "\n[HKEY_CLASSES_ROOT\\.vlm]\n"
                                  "@=\"Vellum File\"\n"
                                  "\n[HKEY_CLASSES_ROOT\\.vlm\\DefaultIcon]\n"
                                  "@=\"/opt/vellum/bin/vellum,1\"\n"
                                  "\n[HKEY_CLASSES_ROOT\\.vlm\\Shell]\n"
                                  "\n[HKEY_CLASSES_ROOT\\.vlm\\Shell\\Open]\n"
                                  "@=\"Edit\"\n"
                                  "\n[HKEY_CLASSES_ROOT\\.vlm\\Shell\\Open\\Command]\n"
                                  "@=\"/opt/vellum/bin/vellum %1\"\n");
}

TEST_F(RegistryStoreTest, EmptyValueIsStoredAsOneSpace) {
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", ""));
    EXPECT_NE(readFile(file).find("[HKEY_CLASSES_ROOT\\.vlm]\n@=\" \"\n"), std::string::npos);
}

TEST_F(RegistryStoreTest, RewritingAValueReplacesItAndKeyNamesIgnoreCase) {
    ASSERT_TRUE(
        store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm\\DefaultIcon", "", "/old/vellum,1"));
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::CurrentUser, "Software\\Vellum", "Shown", "yes"));
    ASSERT_TRUE(
        store.SaveRegString(RegistryRoot::ClassesRoot, ".VLM\\defaulticon", "", "/new/vellum,1"));

    const std::string text = readFile(file);
    EXPECT_EQ(text.find("/old/"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\.vlm\\DefaultIcon]\n@=\"/new/vellum,1\"\n"),
              std::string::npos);
    EXPECT_EQ(text.find("VLM"), std::string::npos) << "no second key for another spelling";
    // A named value under another root survives the other writes.
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vellum]\n\"Shown\"=\"yes\"\n"),
              std::string::npos);
}

TEST_F(RegistryStoreTest, QuotesBackslashesAndControlCharactersSurviveLaterWrites) {
    const struct {
        std::string name, value, line;
    } rows[] = {
        {"odd \"name\"", "C:\\Program Files\\\"x\"\tline\nnext\x01",
         "\"odd \\\"name\\\"\"=\"C:\\\\Program Files\\\\\\\"x\\\"\\tline\\nnext\\x01\"\n"},
        // A folder name that is not UTF-8 keeps its bytes, written as escapes
        // so that the store stays UTF-8 text; UTF-8 stays as it is.
        {"Latin-1", "/opt/caf\xE9/vellum %1", "\"Latin-1\"=\"/opt/caf\\xE9/vellum %1\"\n"},
        {"UTF-8", "/opt/caf\xC3\xA9/vellum", "\"UTF-8\"=\"/opt/caf\xC3\xA9/vellum\"\n"},
        {"cut", "\xC3/\xE2\x82", "\"cut\"=\"\\xC3/\\xE2\\x82\"\n"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", row.name, row.value));
        const std::string once = readFile(file);
        EXPECT_NE(once.find(row.line), std::string::npos) << once;
        // The next write reads the file back into the same keys and values.
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", row.name));
        const std::string twice = readFile(file);
        EXPECT_NE(twice.find(row.line), std::string::npos) << twice;
    }
}

TEST_F(RegistryStoreTest, SameValueAgainLeavesTheFileUntouched) {
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(file, past);
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    EXPECT_EQ(std::filesystem::last_write_time(file), past);
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Other"));
    EXPECT_NE(std::filesystem::last_write_time(file), past);
}

TEST_F(RegistryStoreTest, KeepsWhatAnotherHandAddedAndFailsOnWhatItCannotRead) {
    // Comments and blank lines stay where they were; new keys go last.
    const struct {
        std::string before, after;
    } rows[] = {
        {"; mine\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"Path\"=\"/x\"\r\n",
         "; mine\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"Path\"=\"/x\"\n"
         "\n[HKEY_CLASSES_ROOT\\.vlm]\n@=\"Vellum File\"\n"},
        {"; top\n\n; about .vlm\n[HKEY_CLASSES_ROOT\\.vlm]\n; the type\n@=\"Old\"\n\n"
         "; the end\n",
         "; top\n\n; about .vlm\n[HKEY_CLASSES_ROOT\\.vlm]\n; the type\n@=\"Vellum File\"\n\n"
         "; the end\n"},
        {"; only a note\n", "; only a note\n\n[HKEY_CLASSES_ROOT\\.vlm]\n@=\"Vellum File\"\n"},
        // A key named twice is kept once, and no comment is lost.
        {"[HKEY_USERS\\x]\n@=\"1\"\n; again\n[HKEY_USERS\\x]\n\"n\"=\"2\"\n",
         "[HKEY_USERS\\x]\n@=\"1\"\n; again\n\"n\"=\"2\"\n\n[HKEY_CLASSES_ROOT\\.vlm]\n"
         "@=\"Vellum File\"\n"},
    };
    for (const auto& row : rows) {
        writeFile(file, row.before);
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
        EXPECT_EQ(readFile(file), row.after) << row.before;
    }

    // A file that is not a store of ours is never overwritten.
    for (const std::string foreign :
         {"hello\n", "[NOT_A_ROOT\\x]\n", "[HKEY_USERS\\x]\n@=unquoted\n",
          "@=\"value before any key\"\n", "[HKEY_USERS\\x]\n@=\"open\n"}) {
        writeFile(file, foreign);
        EXPECT_FALSE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"))
            << foreign;
        EXPECT_EQ(readFile(file), foreign);
    }
}

TEST_F(RegistryStoreTest, MalformedKeyPathsAreRefusedWithoutWriting) {
    for (const std::string_view path : {"\\.vlm", ".vlm\\", ".vlm\\\\Shell", "a\nb"}) {
        EXPECT_FALSE(store.SaveRegString(RegistryRoot::ClassesRoot, path, "", "x")) << path;
    }
    EXPECT_FALSE(store.SaveRegString(RegistryRoot::ClassesRoot, std::string(256, 'k'), "", "x"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, std::string(255, 'k'), "", "x"));
}

TEST(RegistryStoreFailure, AStoreThatCannotBeWrittenSaysNoAndLeavesNoTrace) {
    TempDir dir;
    // The data folder is a file.
    writeFile(dir / "data", "not a folder");
    RegistryStore underFile(dir / "data/vellum/registry.txt");
    EXPECT_FALSE(underFile.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    EXPECT_EQ(readFile(dir / "data"), "not a folder");

    // The store's own name is taken by a folder.
    std::filesystem::create_directories(dir / "taken/registry.txt");
    RegistryStore onFolder(dir / "taken/registry.txt");
    EXPECT_FALSE(onFolder.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "taken/registry.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "taken"), {}), 1)
        << "no temporary left";

    // A place no one may create anything in, not even root.
    RegistryStore inProc("/proc/vellum-test/registry.txt");
    EXPECT_FALSE(inProc.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
}

TEST(RegistryStoreDefault, LivesUnderTheUsersDataFolder) {
    const char* savedHome = std::getenv("HOME");
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    const std::string xdg = savedXdg != nullptr ? savedXdg : "";

    // A relative XDG variable counts as unset; a relative HOME is no home.
    const std::optional<std::filesystem::path> ann = "/home/ann/.local/share/vellum/registry.txt";
    const struct {
        const char* home;
        const char* xdg; // nullptr: unset
        std::optional<std::filesystem::path> file;
    } rows[] = {
        {"/home/ann", "/data/ann", "/data/ann/vellum/registry.txt"},
        {"/home/ann", "relative/ignored", ann},
        {"/home/ann", "", ann},
        {"/home/ann", nullptr, ann},
        {"relative/home", nullptr, std::nullopt},
        {"relative/home", "/data/ann", "/data/ann/vellum/registry.txt"},
        {"", "relative/ignored", std::nullopt},
        {nullptr, nullptr, std::nullopt},
    };
    for (const auto& row : rows) {
        row.home != nullptr ? setenv("HOME", row.home, 1) : unsetenv("HOME");
        row.xdg != nullptr ? setenv("XDG_DATA_HOME", row.xdg, 1) : unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(RegistryStore::defaultFile(), row.file)
            << (row.home ? row.home : "(unset)") << " " << (row.xdg ? row.xdg : "(unset)");
    }

    savedHome != nullptr ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
    savedXdg != nullptr ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST(AssociationEntries, NameTheProgramWithThePlatformsSeparator) {
    const auto windows = associationEntries({"C:\\Tools", "editor", '\\'});
    EXPECT_EQ(windows[0].keyPath, ".vlm");
    EXPECT_EQ(windows[0].data, "Vellum File");
    EXPECT_EQ(windows[1].keyPath, ".vlm\\DefaultIcon");
    EXPECT_EQ(windows[1].data, "C:\\Tools\\editor,1");
    EXPECT_EQ(windows[2].keyPath, ".vlm\\Shell\\Open");
    EXPECT_EQ(windows[2].data, "Edit");
    EXPECT_EQ(windows[3].keyPath, ".vlm\\Shell\\Open\\Command");
    EXPECT_EQ(windows[3].data, "C:\\Tools\\editor %1");

    EXPECT_EQ(associationEntries({"/usr/bin", "vellum", '/'})[3].data, "/usr/bin/vellum %1");
    EXPECT_EQ(associationEntries({"/", "vellum", '/'})[1].data, "/vellum,1");
}

TEST(AssociationEntries, AProgramPathWithASpaceIsQuotedInTheCommandOnly) {
    const auto entries = associationEntries({"C:\\Program Files\\Vellum", "editor", '\\'});
    EXPECT_EQ(entries[3].data, "\"C:\\Program Files\\Vellum\\editor\" %1");
    EXPECT_EQ(entries[1].data, "C:\\Program Files\\Vellum\\editor,1");
    EXPECT_EQ(associationEntries({"/opt/my apps", "vellum", '/'})[3].data,
              "\"/opt/my apps/vellum\" %1");
}

class FailingSecondWrite final : public Registry {
  public:
    bool SaveRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                       std::string_view) override {
        EXPECT_EQ(root, RegistryRoot::ClassesRoot);
        EXPECT_EQ(valueName, "");
        keys.emplace_back(keyPath);
        return keys.size() != 2;
    }
    std::vector<std::string> keys;
};

TEST(AssociationEntries, AFailedWriteDoesNotStopTheNext) {
    FailingSecondWrite registry;
    EXPECT_EQ(writeAssociationEntries(registry, associationEntries({"/usr/bin", "vellum", '/'})),
              3);
    EXPECT_EQ(registry.keys,
              (std::vector<std::string>{".vlm", ".vlm\\DefaultIcon", ".vlm\\Shell\\Open",
                                        ".vlm\\Shell\\Open\\Command"}));
}

} // namespace
} // namespace vellum
