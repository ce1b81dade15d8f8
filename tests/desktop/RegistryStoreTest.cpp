#include "desktop/Association.h"
#include "desktop/Registry.h"
#include "io/ProcessLock.h"
#include "tests/support/Environment.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

namespace vellum {
namespace {

using support::readBytes;
using support::ScratchFolder;
using support::writeBytes;

constexpr std::string_view kHeader =
    "; Vellum's registry store: the keys and values the editor sets at start-up\n"
    "; where the system has no registry. Nothing the editor does depends on them.\n";

class RegistryStoreTest : public ::testing::Test {
  protected:
    ScratchFolder dir;
    std::filesystem::path file = dir / "data/vellum/registry.txt";
    RegistryStore store{file};
};

TEST_F(RegistryStoreTest, AssociationEntriesCreateEveryLevelInOrder) {
    const ProgramLocation program{"/opt/vellum/bin", "vellum", '/'};
    EXPECT_EQ(writeAssociationEntries(store, associationEntries(program)), 4);

    // "Shell" is created on the way to "Open", with no value of its own.
    EXPECT_EQ(readBytes(file), std::string(kHeader) +
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
    EXPECT_NE(readBytes(file).find("[HKEY_CLASSES_ROOT\\.vlm]\n@=\" \"\n"), std::string::npos);
}

TEST_F(RegistryStoreTest, RewritingAValueReplacesItAndKeyNamesIgnoreCase) {
    ASSERT_TRUE(
        store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm\\DefaultIcon", "", "/old/vellum,1"));
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::CurrentUser, "Software\\Vellum", "Shown", "yes"));
    ASSERT_TRUE(
        store.SaveRegString(RegistryRoot::ClassesRoot, ".VLM\\defaulticon", "", "/new/vellum,1"));

    const std::string text = readBytes(file);
    EXPECT_EQ(text.find("/old/"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\.vlm\\DefaultIcon]\n@=\"/new/vellum,1\"\n"),
              std::string::npos);
    EXPECT_EQ(text.find("VLM"), std::string::npos) << "no second key for another spelling";
    // A named value under another root survives the other writes.
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vellum]\n\"Shown\"=\"yes\"\n"),
              std::string::npos);
}

TEST_F(RegistryStoreTest, QuotesBackslashesAndControlCharactersSurviveLaterWrites) {
    const std::string odd = "C:\\Program Files\\\"x\"\tline\nnext\x01";
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "odd \"name\"", odd));
    const std::string once = readBytes(file);
    EXPECT_NE(
        once.find("\"odd \\\"name\\\"\"=\"C:\\\\Program Files\\\\\\\"x\\\"\\tline\\nnext\\x01\"\n"),
        std::string::npos)
        << once;
    // The next write reads the file back into the same keys and values.
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    const std::string twice = readBytes(file);
    EXPECT_NE(twice.find(
                  "\"odd \\\"name\\\"\"=\"C:\\\\Program Files\\\\\\\"x\\\"\\tline\\nnext\\x01\"\n"),
              std::string::npos)
        << twice;
    // Bytes that are not UTF-8 become escapes, and come back; UTF-8 stays.
    for (const auto& [value, line] : std::vector<std::pair<std::string, std::string>>{
             {"/caf\xE9 %1", "@=\"/caf\\xE9 %1\""},
             {"\xC3\xA9\xC3/\xE2\x82", "@=\"\xC3\xA9\\xC3/\\xE2\\x82\""}}) {
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", value));
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "n", value));
        EXPECT_NE(readBytes(file).find(line), std::string::npos) << readBytes(file);
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

TEST_F(RegistryStoreTest, KeepsWhatAnotherHandAdded) {
    writeBytes(file, "; mine\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"Path\"=\"/x\"\r\n");
    ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    EXPECT_NE(readBytes(file).find("[HKEY_LOCAL_MACHINE\\Software\\X]\n\"Path\"=\"/x\"\n"),
              std::string::npos);
    // Comment and blank lines stay where they were; a new key goes last.
    const std::string vlm = "[HKEY_CLASSES_ROOT\\.vlm]\n@=\"Vellum File\"\n";
    for (const auto& [before, after] : std::vector<std::pair<std::string, std::string>>{
             {"; a\n\n[HKEY_CLASSES_ROOT\\.vlm]\n; b\n@=\"Old\"\n\n; c\n",
              "; a\n\n[HKEY_CLASSES_ROOT\\.vlm]\n; b\n@=\"Vellum File\"\n\n; c\n"},
             {"; a\n", "; a\n\n" + vlm},
             {"[HKEY_USERS\\x]\n; a\n[HKEY_USERS\\x]\n@=\"1\"\n",
              "[HKEY_USERS\\x]\n; a\n@=\"1\"\n\n" + vlm}}) {
        writeBytes(file, before);
        ASSERT_TRUE(store.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
        EXPECT_EQ(readBytes(file), after) << before;
    }
}

TEST_F(RegistryStoreTest, ADamagedStoreIsSaidOnceAndKeptWhileTheEntriesAreWritten) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string vlm = "[HKEY_CLASSES_ROOT\\.vlm]\n@=\"Vellum File\"\n";
    const struct {
        std::string before;
        std::string after;
        std::vector<std::string> said; // after "FILE:"
    } cases[] = {
        {bom + "[HKEY_CLASSES_ROOT\\.vlm]\r\n@=\"Old\"\r\n", bom + vlm, {}},
        {bom, bom + std::string(kHeader) + "\n" + vlm, {}},
        {"hello\n", "hello\n\n" + vlm, {"1: neither a key, a value nor a comment"}},
        {"@=\"x\"\n", "@=\"x\"\n\n" + vlm, {"1: a value before any key"}},
        // What stands below a key that cannot be read stays with it, unread.
        {"[NOT_A_ROOT\\x]\n@=\"x\"\n[HKEY_CLASSES_ROOT\\.vlm]\n",
         "[NOT_A_ROOT\\x]\n@=\"x\"\n" + vlm,
         {"1: a key under no registry root (HKEY_CLASSES_ROOT and the like)"}},
        {"[HKEY_CLASSES_ROOT\\.vlm\n@=\"x\"\n",
         "[HKEY_CLASSES_ROOT\\.vlm\n@=\"x\"\n\n" + vlm,
         {"1: a key whose name is not closed by \"]\""}},
        // A bad line inside the key keeps its place while the value changes.
        {bom + "; a\r\n[HKEY_CLASSES_ROOT\\.vlm]\r\n@=unquoted\r\n@=\"Old\"\r\n\"n\"=\"open\r\n",
         bom + "; a\n[HKEY_CLASSES_ROOT\\.vlm]\n@=unquoted\n@=\"Vellum File\"\n\"n\"=\"open\n",
         {"3: a value that is not one quoted text", "5: a value that is not one quoted text"}},
        {"[HKEY_USERS\\x]\n\"n\" \"v\"\n[]\n",
         "[HKEY_USERS\\x]\n\"n\" \"v\"\n[]\n\n" + vlm,
         {"2: no \"=\" after the value's name", "3: a key with no name"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> said;
        RegistryStore saying(file,
                             [&said](const std::string& problem) { said.push_back(problem); });
        writeBytes(file, c.before);
        // Twice, as start-up writes the entries one by one.
        EXPECT_TRUE(saying.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
        EXPECT_TRUE(saying.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
        EXPECT_EQ(readBytes(file), c.after) << c.before;
        std::vector<std::string> expected;
        for (const std::string& problem : c.said) {
            expected.push_back(file.string() + ":" + problem + "; the line is kept as it is");
        }
        EXPECT_EQ(said, expected) << c.before;
    }

    // A file that is no store at all is said in a few lines, not in one for each of its own.
    std::vector<std::string> said;
    RegistryStore saying(file, [&said](const std::string& problem) { said.push_back(problem); });
    std::string foreign;
    for (int i = 0; i < 12; ++i) {
        foreign += "x\n";
    }
    writeBytes(file, foreign);
    EXPECT_TRUE(saying.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    ASSERT_EQ(said.size(), 11u);
    EXPECT_EQ(said.back(),
              file.string() + ": 2 more lines cannot be read; they are kept as they are");
    EXPECT_EQ(readBytes(file), foreign + "\n" + vlm);
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
    ScratchFolder dir;
    // The data folder is a file.
    writeBytes(dir / "data", "not a folder");
    RegistryStore underFile(dir / "data/vellum/registry.txt");
    EXPECT_FALSE(underFile.SaveRegString(RegistryRoot::ClassesRoot, ".vlm", "", "Vellum File"));
    EXPECT_EQ(readBytes(dir / "data"), "not a folder");

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
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg != nullptr ? savedXdg : "";

    setenv("HOME", "/home/ann", 1);
    setenv("XDG_DATA_HOME", "/data/ann", 1);
    EXPECT_EQ(RegistryStore::defaultFile(), std::filesystem::path("/data/ann/vellum/registry.txt"));
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(RegistryStore::defaultFile(),
              std::filesystem::path("/home/ann/.local/share/vellum/registry.txt"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(RegistryStore::defaultFile(),
              std::filesystem::path("/home/ann/.local/share/vellum/registry.txt"));
    unsetenv("HOME");
    EXPECT_EQ(RegistryStore::defaultFile(), std::nullopt);
    setenv("HOME", "relative/home", 1); // no home, as an unset one
    EXPECT_EQ(RegistryStore::defaultFile(), std::nullopt);

    setenv("HOME", savedHome.c_str(), 1);
    if (savedXdg != nullptr) {
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    }
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

TEST(AssociationLock, AWriterWaitsABoundedTimeForAnotherThenWritesNothing) {
    using namespace std::chrono_literals;
    ScratchFolder dir;
    support::ScopedEnvironment home{{"HOME", dir.path().string()}, {"XDG_DATA_HOME", std::nullopt}};
    Result<io::ProcessLock> held = io::ProcessLock::acquire(*associationLocation(), 0ms);
    ASSERT_TRUE(held.ok()) << held.failure().text;

    bool wrote = false;
    const auto start = std::chrono::steady_clock::now();
    const Result<void> refused = whileAssociationLocked(300ms, [&wrote] { wrote = true; });
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.failure().number, ETIMEDOUT);
    EXPECT_FALSE(wrote);
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 3s);

    { const io::ProcessLock released = std::move(held).value(); }
    EXPECT_TRUE(whileAssociationLocked(0ms, [&wrote] { wrote = true; }).ok());
    EXPECT_TRUE(wrote);
}

} // namespace
} // namespace vellum
