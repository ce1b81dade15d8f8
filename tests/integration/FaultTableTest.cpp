// Every way the programs replace a file, under every fault the tests can
// cause without touching the real system: the old file keeps its bytes and
// mode, no staging file is left, and the failure is reported.

#include "cli/Commands.h"
#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "formats/StringFile.h"
#include "formats/TextDocument.h"
#include "io/ByteFiles.h"
#include "io/UserFiles.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

bool editorCompile(const std::string& target, const std::string&) {
    Document doc;
    ScriptedDialog dialog;
    ScriptedBoxes boxes; // answers No
    FixedUtcClock clock{0};
    io::DiskFiles files;
    Editor editor(doc, {nullptr, &dialog, &boxes, &clock, &files});
    doc.setText("a new text");
    dialog.choose(target);
    const CommandOutcome written = editor.cmdString_Click();
    return !written.ok() && !boxes.critical.empty();
}

bool cliDecompile(const std::string& target, const std::string& input85s) {
    std::ostringstream out, err;
    return cli::decompile({"-o", target, input85s}, {out, err}) == cli::kExitFailure &&
           !err.str().empty();
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
