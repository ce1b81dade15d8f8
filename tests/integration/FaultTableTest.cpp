// Every way the programs replace a file, under every fault the tests can
// cause without touching the real system: the old file keeps its bytes and
// mode, no staging file is left, and the failure is reported. Then the cases
// where a plain rename would do harm: another user, other links, a stream.

#include "cli/Commands.h"
#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "formats/StringFile.h"
#include "formats/TextDocument.h"
#include "io/ByteFiles.h"
#include "io/Staging.h"
#include "io/UserFiles.h"
#include "tests/support/PosixFileSizeLimit.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <linux/fs.h>
#include <memory>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vellum;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::ScriptedBoxes;
using vellum::support::ScriptedDialog;
using vellum::support::writeBytes;

namespace {

namespace fs = std::filesystem;

// A fault in force while the object lives; empty when this system cannot make it.
using Fault = std::function<std::shared_ptr<void>(const fs::path& folder)>;

std::shared_ptr<void> fileSizeLimit(const fs::path&) {
    return std::make_shared<support::FileSizeLimit>(16);
}

// No file descriptor left: the next open fails with EMFILE.
std::shared_ptr<void> noFreeDescriptors(const fs::path&) {
    rlimit old{};
    ::getrlimit(RLIMIT_NOFILE, &old);
    const int lowest = ::open("/", O_RDONLY | O_CLOEXEC);
    ::close(lowest);
    const auto restore = [old](int* p) {
        ::setrlimit(RLIMIT_NOFILE, &old);
        delete p;
    };
    // UBSan checks a control block's dynamic type when it is released, and to
    // learn a type it has not met it reads the process's maps, which takes a
    // descriptor: one release of this type before the limit makes it known.
    std::shared_ptr<void>(new int(0), restore).reset();
    rlimit lower = old;
    lower.rlim_cur = static_cast<rlim_t>(lowest);
    ::setrlimit(RLIMIT_NOFILE, &lower);
    return std::shared_ptr<void>(new int(0), restore);
}

// The folder made immutable (chattr +i): no new entry, even for root.
std::shared_ptr<void> immutableFolder(const fs::path& folder) {
    auto setFlag = [folder](bool on) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    };
    if (!setFlag(true)) {
        return nullptr;
    }
    return std::shared_ptr<void>(new int(0), [setFlag](int* p) {
        setFlag(false);
        delete p;
    });
}

// One way of replacing the file at target; true when it reported a failure.
using Operation = std::function<bool(const std::string& target, const std::string& input85s)>;

bool editorSave(const std::string& target, bool saveAs) {
    Document doc;
    ScriptedDialog dialog;
    ScriptedBoxes boxes;
    Editor editor(doc, {&dialog, &dialog, &boxes, nullptr, nullptr});
    doc.setText("a new text that is longer than the fault allows\r\n");
    doc.HasPath = !saveAs;
    doc.DocPath = target;
    dialog.choose(target);
    const CommandOutcome saved = saveAs ? editor.cmdSaveAs_Click() : editor.cmdSave_Click();
    return !saved.ok() && boxes.errors.size() == 1;
}

// The editor's compile; the first failure it showed, or "".
std::string editorCompileText(const std::string& target) {
    Document doc;
    ScriptedDialog dialog;
    ScriptedBoxes boxes; // answers No
    FixedUtcClock clock{0};
    io::DiskFiles files;
    Editor editor(doc, {nullptr, &dialog, &boxes, &clock, &files});
    doc.setText("a new text");
    dialog.choose(target);
    const CommandOutcome written = editor.cmdString_Click();
    return written.ok() || boxes.critical.empty() ? "" : boxes.critical[0].message;
}

bool editorCompile(const std::string& target, const std::string&) {
    return !editorCompileText(target).empty();
}

// vellum-cli decompile; what it said on its error stream.
std::string cliDecompileText(const std::string& target, const std::string& input85s) {
    std::ostringstream out, err;
    cli::decompile({"-o", target, input85s}, {out, err});
    return err.str();
}

bool cliDecompile(const std::string& target, const std::string& input85s) {
    return !cliDecompileText(target, input85s).empty();
}

// Runs call in a child process, as the user nobody when asked, with stream
// (when not -1) sent to the end of the file at appendTo; what call gave, or
// nothing when the child could not be made so (not root, say).
std::optional<std::string> inChild(bool asNobody, int stream, const std::string& appendTo,
                                   const std::function<std::string()>& call) {
    int channel[2];
    const passwd* nobody = ::getpwnam("nobody");
    if ((asNobody && (::geteuid() != 0 || nobody == nullptr)) || ::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const int log = stream < 0 ? -1 : ::open(appendTo.c_str(), O_WRONLY | O_APPEND);
        const bool ready =
            (stream < 0 || ::dup2(log, stream) == stream) &&
            (!asNobody || (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
                           ::setuid(nobody->pw_uid) == 0));
        const std::string said = ready ? call() : "";
        ready&& ::write(channel[1], said.data(), said.size()) >= 0 ? ::_exit(0) : ::_exit(3);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        said.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::optional(said) : std::nullopt;
}

// Whether the user nobody may open the file for reading (false when not root).
bool nobodyReads(const std::string& path) {
    return inChild(true, -1, "", [&] {
               return ::open(path.c_str(), O_RDONLY) >= 0 ? "read" : "";
           }).value_or("") == "read";
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

bool desktopFile(const std::string& target, const std::string&) {
    return !io::updateUserFile(target, "[Desktop Entry]\nName=a new entry\n").ok();
}

} // namespace

TEST(FaultTable, AFailedReplaceLeavesTheOldFileAsItWas) {
    const struct {
        const char* name;
        Fault fault;
    } faults[] = {
        {"file-size limit", fileSizeLimit},
        {"no free file descriptor", noFreeDescriptors},
        {"immutable folder", immutableFolder},
    };
    const struct {
        const char* name;
        const char* file;
        Operation run;
    } operations[] = {
        {"save", "doc.vlm", [](auto& t, auto&) { return editorSave(t, false); }},
        {"Save As", "doc.txt", [](auto& t, auto&) { return editorSave(t, true); }},
        {"compile", "out.85s", editorCompile},
        {"decompile", "out.vlm", cliDecompile},
        {"desktop file", "vellum.desktop", desktopFile},
    };
    ScratchFolder inputs;
    const std::string input85s = inputs / "in.85s";
    ASSERT_FALSE(editorCompile(input85s, ""));
    const std::string old = "the old file, which must survive every fault\r\n";

    for (const auto& f : faults) {
        for (const auto& op : operations) {
            SCOPED_TRACE(std::string(f.name) + " x " + op.name);
            ScratchFolder folder;
            const std::string target = folder / op.file;
            writeBytes(target, old);
            ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
            bool reported = false;
            {
                const std::shared_ptr<void> inForce = f.fault(folder.path());
                if (!inForce) {
                    std::cout << "SKIP: " << f.name << " cannot be made here\n";
                    break;
                }
                reported = op.run(target, input85s);
            }
            EXPECT_TRUE(reported);
            EXPECT_EQ(readBytes(target), old);
            struct stat st {};
            ASSERT_EQ(::stat(target.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            EXPECT_EQ(folder.entries(), std::vector<std::string>{op.file});
        }
    }
}

TEST(FaultTable, AFileTheUserMayNotRenameOverKeepsItsOwnerLinksAndRights) {
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t nobodyId = nobody != nullptr ? nobody->pw_uid : 65534, own = ::geteuid();
    const struct {
        const char* name;
        bool asNobody;                // else as the test's own user
        uid_t owner;                  // of the old file
        mode_t mode, folderMode;      // the old file's (0: there is none) and its folder's
        bool linked;                  // the old file has a second name
        const char* refusal;          // the failure's reason, or nullptr: written
        bool editorToo = true;        // also through the editor's compile
        const char* stream = nullptr; // decompile -o this, standard output appended to target
        int fd = 1;
    } cases[] = {
        {"new file, private until complete", false, own, 0, 0755, false, nullptr},
        {"another user's 0640 file", false, 4242, 0640, 0755, false, nullptr},
        {"a 0444 file of the user's own", true, nobodyId, 0444, 0777, false, "Permission denied"},
        {"root's 0644 file, folder open to all", true, own, 0644, 0777, false, "Permission denied"},
        {"a hard-linked file", false, own, 0640, 0755, true, nullptr},
        {"root's 0666 file in a sticky folder", true, own, 0666, 01777, false, nullptr},
        {"a 0666 file in a read-only folder", true, own, 0666, 0555, false, nullptr},
        {"-o /dev/stdout >> log", false, own, 0640, 0755, false, nullptr, false, "/dev/stdout"},
        {"-o /dev/fd/1 >> log", false, own, 0640, 0755, false, nullptr, false, "/dev/fd/1"},
        {"-o /proc/self/fd/1 >> log", false, own, 0640, 0755, false, nullptr, false,
         "/proc/self/fd/1"},
        {"-o log >> log", false, own, 0640, 0755, false, nullptr, false, ""},
        {"-o /dev/stderr 2>> log", false, own, 0640, 0755, false, nullptr, false, "/dev/stderr", 2},
    };
    ScratchFolder inputs;
    ::chmod(inputs.path().c_str(), 0755); // for the user nobody
    const std::string input85s = inputs / "in.85s", cache = inputs / "cache";
    ASSERT_FALSE(editorCompile(input85s, ""));
    ::chmod(input85s.c_str(), 0644);
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    fs::create_directories(cache + "/vellum");
    ::chown(cache.c_str(), nobodyId, 0), ::chown((cache + "/vellum").c_str(), nobodyId, 0);
    const std::string old = "the old file, which must survive every fault\r\n";
    const std::function<std::string(const std::string&)> operations[] = {
        [&](const std::string& t) { return cliDecompileText(t, input85s); }, editorCompileText};

    const mode_t mask = ::umask(022);
    ::umask(mask);

    for (const auto& c : cases) {
        for (const auto& operation : operations) {
            const bool editor = &operation != &operations[0];
            if (editor && !c.editorToo) {
                continue;
            }
            SCOPED_TRACE(std::string(c.name) + (editor ? " (editor)" : " (vellum-cli)"));
            ScratchFolder folder;
            const std::string target = folder / "out.vlm";
            const std::string reference = inputs / (editor     ? "new.85s"
                                                    : c.stream ? "new.txt"
                                                               : "new.vlm");
            operation(reference);
            const std::string expected = readBytes(reference);
            writeBytes(target, old);
            const bool arranged =
                (c.owner == own || ::chown(target.c_str(), c.owner, c.owner) == 0) &&
                (!c.linked || ::link(target.c_str(), (folder.path() / "twin").c_str()) == 0) &&
                (c.mode ? ::chmod(target.c_str(), c.mode) : ::unlink(target.c_str())) == 0 &&
                ::chmod(folder.path().c_str(), c.folderMode) == 0;
            if (!arranged) {
                std::cout << "SKIP: " << c.name << " cannot be made here\n";
                continue;
            }
            const struct stat before = statOf(target);
            const bool created = before.st_nlink == 0;
            const std::vector<std::string> entries = folder.entries();
            std::vector<struct stat> staged; // each staging file as it was made
            io::staging::onStagingCreated([&](const fs::path& p) {
                staged.push_back(statOf(p));
                EXPECT_FALSE(nobodyReads(p)) << "others may read the staging file";
            });
            const auto run = [&] { return operation(c.stream && *c.stream ? c.stream : target); };
            const std::optional<std::string> said =
                c.asNobody || c.stream ? inChild(c.asNobody, c.stream ? c.fd : -1, target, run)
                                       : run();
            io::staging::onStagingCreated(nullptr);
            if (!said) {
                std::cout << "SKIP: " << c.name << " needs root\n";
                continue;
            }
            EXPECT_NE(said->find(c.refusal ? c.refusal : ""), std::string::npos) << *said;
            EXPECT_TRUE(c.refusal || said->empty()) << *said;
            EXPECT_EQ(readBytes(target), c.refusal ? old : (c.stream ? old : "") + expected);
            const struct stat after = statOf(target);
            EXPECT_EQ(after.st_mode & 07777, created ? 0666 & ~mask : before.st_mode & 07777);
            EXPECT_EQ(after.st_uid, created ? ::geteuid() : before.st_uid);
            EXPECT_EQ(after.st_nlink, created ? 1 : before.st_nlink);
            EXPECT_EQ(folder.entries(), created ? std::vector<std::string>{"out.vlm"} : entries);
            EXPECT_TRUE(fs::is_empty(cache + "/vellum"));
            for (const struct stat& st : staged) {
                EXPECT_EQ(st.st_mode & 07777, created ? 0600 : before.st_mode & 07777);
                EXPECT_EQ(st.st_uid, created ? ::geteuid() : before.st_uid);
            }
        }
    }
}
