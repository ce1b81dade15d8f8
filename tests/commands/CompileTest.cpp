// The string file writer and the compile command: the bytes they lay out, the
// limits, and what a failing step leaves behind.

#include "commands/Editor.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"
#include "tests/support/FailingFiles.h"

#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/Tifiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <stdexcept>

using namespace vellum;
using vellum::support::expectTifilesReads;
using vellum::support::FailingFiles;
using vellum::support::FixedClock;
using vellum::support::readBytes;
using vellum::support::ScratchFolder;
using vellum::support::ScriptedBoxes;
using vellum::support::ScriptedDialog;
using vellum::support::writeBytes;
using Op = FailingFiles::Op;

namespace {

Bytes hex(std::string_view text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3) {
        bytes.push_back(static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::size_t u16(const std::string& file, std::size_t offset) {
    return static_cast<unsigned char>(file[offset]) |
           static_cast<std::size_t>(static_cast<unsigned char>(file[offset + 1])) << 8;
}

const Bytes kHeader = hex("2A 2A 54 49 38 35 2A 2A 1A 0C 00");
const Bytes kComment = "Created by Vellum on 10:15:30 PM 12/6/2026";

// A window-less editor whose compile writes real files into a scratch folder
// through a file layer that a test can make fail.
struct CompileTest : ::testing::Test {
    ScratchFolder folder;
    ScriptedDialog dlgString;
    ScriptedBoxes boxes;
    FixedClock clock;
    io::DiskFiles disk;
    FailingFiles files{disk};
    Document doc;
    Editor editor{doc, EditorServices{nullptr, &dlgString, &boxes, &clock, &files}};
    std::string target = folder / "out.85s";

    CommandOutcome outcome = Completion::Cancelled; // of the last compile

    CompileTest() { doc.resetToNew(); }

    // Compiles text to the target under the document's current name.
    std::string compile(const Bytes& text) {
        doc.setText(text);
        dlgString.choose(target);
        outcome = editor.cmdString_Click();
        return readBytes(target);
    }

    // Writes the text's Data straight through the writer, as callers that
    // bypass the command do.
    std::string write(const Bytes& text) {
        outcome = editor.SaveStr(target, buildStringData(text));
        return readBytes(target);
    }

    bool targetExists() const { return std::filesystem::exists(target); }
    // Only the target in the folder: no staging file left behind.
    bool aloneInFolder() const { return folder.entries() == std::vector<std::string>{"out.85s"}; }
};

} // namespace

// The three small worked examples, byte for byte from the data-section length on.
struct WorkedExample {
    Bytes text;
    std::size_t size;
    const char* tail;
};

class WorkedExampleTest : public CompileTest,
                          public ::testing::WithParamInterface<WorkedExample> {};

TEST_P(WorkedExampleTest, LaysOutTheFileByteForByte) {
    const WorkedExample& example = GetParam();
    const std::string file = compile(example.text);

    ASSERT_EQ(file.size(), example.size);
    EXPECT_EQ(file.substr(0, 11), kHeader);
    EXPECT_EQ(file.substr(11, 42), kComment);
    EXPECT_EQ(file.substr(53), hex(example.tail));
    EXPECT_TRUE(boxes.critical.empty());
    EXPECT_TRUE(isDone(outcome));
    expectTifilesReads(target, "untitled", buildStringData(example.text));

    ASSERT_EQ(dlgString.shown.size(), 1u);
    EXPECT_TRUE(dlgString.shown[0].save);
    EXPECT_EQ(dlgString.shown[0].settings.fileName, "untitled.85s");
    EXPECT_EQ(dlgString.shown[0].settings.title, "Save String");
    EXPECT_EQ(dlgString.shown[0].settings.filter, "TI-85 String|*.85s|All Files|*.*");
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WorkedExampleTest,
    ::testing::Values(
        WorkedExample{"", 79,
                      "16 00 0C 00 06 00 0C 08 75 6E 74 69 74 6C 65 64 06 00 04 00 00 EF 00 00 "
                      "88 04 "},
        WorkedExample{"AB\r\nC", 83,
                      "1A 00 0C 00 0A 00 0C 08 75 6E 74 69 74 6C 65 64 0A 00 08 00 00 EF 41 42 "
                      "0A 43 00 00 64 05 "},
        WorkedExample{"\r\r\n\n", 82,
                      "19 00 0C 00 09 00 0C 08 75 6E 74 69 74 6C 65 64 09 00 07 00 00 EF 0D 0A "
                      "0A 00 00 B2 04 "}));

TEST_F(CompileTest, ChecksumWrapsAtSixteenBits) {
    const std::string file = compile(Bytes(600, 'z'));
    ASSERT_EQ(file.size(), 679u);
    EXPECT_EQ(file.substr(677), hex("86 23 ")); // 74,630 mod 65,536 = 9,094
    expectTifilesReads(target, "untitled", buildStringData(Bytes(600, 'z')));
}

TEST_F(CompileTest, ChecksumAndLayoutDoNotDependOnTheComment) {
    const std::string first = compile("same text");
    clock.set("23:59:59", "31.12.1999");
    const std::string second = compile("same text");
    ASSERT_EQ(first.size(), second.size());
    EXPECT_NE(first.substr(11, 42), second.substr(11, 42));
    EXPECT_EQ(first.substr(53), second.substr(53));
    expectTifilesReads(target, "untitled", buildStringData("same text"));
}

TEST_F(CompileTest, FillsTheFileUpToTheLimitAndNoFurther) {
    // n + L = 32,698: a file of exactly 32,767 bytes.
    const Bytes fits(32696 - 8, 'q');
    const std::string file = compile(fits);
    EXPECT_EQ(file.size(), 32767u);
    EXPECT_TRUE(boxes.critical.empty());
    expectTifilesReads(target, "untitled", buildStringData(fits));

    // One more byte: the command says so once, before its dialog, and
    // writes nothing.
    EXPECT_EQ(compile(fits + "q"), file);
    EXPECT_EQ(dlgString.shown.size(), 1u);
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0].message,
              "The text is too long for a TI-85 string: its data size is 32,691 bytes, and a "
              "string with this variable name takes at most 32,690. Nothing was written.");
    EXPECT_TRUE(boxes.critical.empty());
    EXPECT_FALSE(outcome.ok());

    // The writer itself fails with the overflow; No keeps the file that stood there.
    EXPECT_EQ(write(fits + "q"), file);
    EXPECT_TRUE(aloneInFolder());
    ASSERT_EQ(boxes.critical.size(), 1u);
    EXPECT_EQ(boxes.critical[0].message,
              "Error 6 has occured while writing String.\r\nOverflow\r\nContinue Anyway?");
    EXPECT_EQ(boxes.critical[0].title, "Error 6");
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.failure().number, 6);
}

TEST_F(CompileTest, YesAfterAnOverflowKeepsAllButTheChecksum) {
    const Bytes text(32696 - 8 + 1, 'q');
    boxes.answerYes();
    const std::string file = write(text);
    EXPECT_EQ(boxes.critical.size(), 1u);
    ASSERT_EQ(file.size(), 32766u); // 67 + n + L: everything but the checksum
    EXPECT_EQ(file.substr(65 + 8, 2), Bytes("\0\xEF", 2));
}

TEST_F(CompileTest, FarPastTheLimitEveryLengthAndPositionStepOverflows) {
    boxes.answerYes();
    write(Bytes(70000, 'q'));
    // Data-section length, the two data lengths, the string length, Data and
    // the checksum; the reread section length reads 0 as nothing wrote it.
    EXPECT_EQ(boxes.critical.size(), 6u);
    for (const auto& box : boxes.critical) {
        EXPECT_EQ(box.title, "Error 6");
    }
}

TEST_F(CompileTest, CommentIsCutOrPaddedToFortyTwoBytes) {
    struct Case {
        std::string time, date;
        Bytes comment;
    };
    const Case cases[] = {
        {"9:05", "1/2/26", "Created by Vellum on 9:05 1/2/26" + std::string(10, ' ')},
        {"10:15:30 PM", "Saturday, 12 December 2026", "Created by Vellum on 10:15:30 PM Saturday,"},
        // Characters beyond the calculator's set still take one byte each.
        {"22\u6642", "12\u6708", "Created by Vellum on 22? 12?" + std::string(14, ' ')},
    };
    for (const Case& c : cases) {
        clock.set(c.time, c.date);
        const std::string file = compile("");
        ASSERT_EQ(file.size(), 79u) << c.time;
        EXPECT_EQ(file.substr(11, 42), c.comment) << c.time;
        expectTifilesReads(target, "untitled", buildStringData(""));
    }
}

TEST_F(CompileTest, NamesFromEmptyToTheLengthByteLimit) {
    for (const std::size_t n : {0u, 1u, 8u, 9u, 255u}) {
        SCOPED_TRACE(n);
        doc.VarName = Bytes(n, 'v'); // set directly: the writer takes any name it is given
        const std::string file = compile("hi");
        if (n == 0) { // no calculator stores an empty name: the default one instead
            EXPECT_EQ(file.substr(60, 9), "\x08untitled");
            continue;
        }
        const std::size_t L = 4;
        ASSERT_EQ(file.size(), n + L + 69);
        EXPECT_EQ(u16(file, 55), n + 4);
        EXPECT_EQ(static_cast<unsigned char>(file[60]), n);
        EXPECT_EQ(file.substr(61, n), Bytes(n, 'v'));
        EXPECT_EQ(file.substr(61 + n, 4), hex("08 00 06 00 "));
        EXPECT_EQ(static_cast<unsigned char>(file[66 + n]), 0xEF);
        if (n <= 8) { // the calculator's own limit, and libtifiles'
            expectTifilesReads(target, doc.VarName, buildStringData("hi"));
        }
    }
    EXPECT_TRUE(boxes.critical.empty());

    // A name too long for its length byte is the overflow failure.
    const std::string previous = readBytes(target);
    doc.VarName = Bytes(256, 'v');
    EXPECT_EQ(compile("hi"), previous);
    ASSERT_EQ(boxes.critical.size(), 1u);
    EXPECT_EQ(boxes.critical[0].title, "Error 6");
}

TEST_F(CompileTest, EveryByteFromOneTo255IsStoredUnchanged) {
    Bytes text;
    for (int b = 1; b <= 255; ++b) {
        text.push_back(static_cast<char>(b));
    }
    const std::string file = compile(text);
    EXPECT_EQ(file.substr(65 + 8 + 2, 255), text);
    expectTifilesReads(target, "untitled", buildStringData(text));
}

TEST_F(CompileTest, ReplacesAnOlderLongerFileWithoutItsTail) {
    writeBytes(target, Bytes(5000, 'x'));
    const std::string file = compile("short");
    EXPECT_EQ(file.size(), 8u + 7 + 69);
    EXPECT_TRUE(boxes.critical.empty());
    expectTifilesReads(target, "untitled", buildStringData("short"));
}

TEST_F(CompileTest, CancelledDialogWritesNothing) {
    writeBytes(target, "keep me");
    doc.setText("text");
    dlgString.cancel();
    const CommandOutcome cancelled = editor.cmdString_Click();
    ASSERT_TRUE(cancelled.ok());
    EXPECT_EQ(cancelled.value(), Completion::Cancelled);
    EXPECT_EQ(readBytes(target), "keep me");
    EXPECT_TRUE(files.calls().empty());
    EXPECT_TRUE(boxes.critical.empty());
}

TEST_F(CompileTest, LeavesTheDocumentStateAlone) {
    doc.DocPath = "/somewhere/notes.vlm";
    doc.setText("typed");
    doc.RefreshStatus();
    ASSERT_EQ(doc.lblSave(), "MODIFIED");
    compile("typed");
    EXPECT_FALSE(doc.IsSaved);
    EXPECT_FALSE(doc.HasPath);
    EXPECT_EQ(doc.DocPath, "/somewhere/notes.vlm");
    EXPECT_EQ(doc.DocTitle, "Untitled");
    EXPECT_EQ(doc.lblSave(), "MODIFIED");
    EXPECT_EQ(doc.text(), "typed");
}

// Failing steps. The text "AB\r\nC" under "untitled" gives an 83-byte file;
// the writer works on a staging file and calls, in order:
//   exists (2), open (3), write x2 (4), write (5), write (6), write (7),
//   write (8), write x2 (9), write (10), write (11), write (12), write x2
//   (13), close (14), open, read, read (15), write (16), close (17),
//   replace (the target's turn).
namespace {

struct Injection {
    const char* step;
    Op op;
    int nth;
    // Bytes of the complete file that stay zero when the user answers Yes;
    // the checksum then covers what the file says.
    std::size_t from, to;
};

const Injection kInjections[] = {
    {"3 open", Op::Open, 1, 0, 0},        // every write fails after it
    {"4 signature", Op::Write, 1, 0, 11}, // the step ends: no tail either
    {"4 signature tail", Op::Write, 2, 8, 11},
    {"5 comment", Op::Write, 3, 11, 53},
    {"6 section length", Op::Write, 4, 53, 55},
    {"7 entry header length", Op::Write, 5, 55, 57},
    {"8 data length", Op::Write, 6, 57, 59},
    {"9 type", Op::Write, 7, 59, 61},
    {"9 name length", Op::Write, 8, 60, 61},
    {"10 name", Op::Write, 9, 61, 69},
    {"11 data length again", Op::Write, 10, 69, 71},
    {"12 string length", Op::Write, 11, 71, 73},
    {"13 Data", Op::Write, 12, 73, 81},
    {"13 closing zeros", Op::Write, 13, 79, 81},
    {"14 close", Op::Close, 1, 0, 0},
    {"15 reopen", Op::Open, 2, 0, 0},
    {"15 read length", Op::Read, 1, 0, 0},
    {"15 read section", Op::Read, 2, 0, 0},
    {"16 checksum", Op::Write, 14, 0, 0},
    {"17 close", Op::Close, 2, 0, 0},
    {"into place", Op::Replace, 1, 0, 0},
};

const Failure kInjected{5, "Input/output error"};
const Bytes kPrevious = "the previous file, the user's last good copy";

std::uint16_t sectionSum(const std::string& file) {
    const std::size_t length =
        static_cast<unsigned char>(file[53]) | static_cast<unsigned char>(file[54]) << 8;
    unsigned sum = 0;
    for (std::size_t i = 55; i < 55 + length && i < file.size(); ++i) {
        sum += static_cast<unsigned char>(file[i]);
    }
    return static_cast<std::uint16_t>(sum);
}

} // namespace

class FailingStepTest : public CompileTest, public ::testing::WithParamInterface<Injection> {};

TEST_P(FailingStepTest, NoLeavesThePreviousFileAndNoStagingFile) {
    const Injection& at = GetParam();
    writeBytes(target, kPrevious);
    files.failCall(at.op, at.nth, kInjected);
    EXPECT_EQ(compile("AB\r\nC"), kPrevious);
    EXPECT_TRUE(aloneInFolder());
    ASSERT_EQ(boxes.critical.size(), 1u);
    EXPECT_EQ(boxes.critical[0].message,
              "Error 5 has occured while writing String.\r\nInput/output error\r\n"
              "Continue Anyway?");
    EXPECT_EQ(boxes.critical[0].title, "Error 5");
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.failure().text, "Input/output error");
    // Nothing after the clean-up: the last call removed the staging file, or
    // found none to remove after a failed open or replace.
    ASSERT_FALSE(files.calls().empty());
    const Op last = files.calls().back().op;
    EXPECT_TRUE(last == Op::Remove || last == Op::Exists);
}

TEST_P(FailingStepTest, YesGoesOnWithoutTheStepsBytes) {
    const Injection& at = GetParam();
    const std::string good = compile("AB\r\nC");
    ASSERT_EQ(good.size(), 83u);
    files.failCall(at.op, at.nth + static_cast<int>(files.count(at.op)), kInjected);
    boxes.answerYes();
    const std::string file = compile("AB\r\nC");
    const std::string step = at.step;
    if (step == "3 open") {
        // Steps 4 to 13 have no file to write to, and each says so. Step 15
        // opens a new, empty file whose section length reads 0: only the
        // checksum lands.
        ASSERT_EQ(boxes.critical.size(), 11u);
        for (std::size_t i = 1; i < boxes.critical.size(); ++i) {
            EXPECT_EQ(boxes.critical[i].title, "Error 9") << i; // EBADF
        }
        EXPECT_EQ(file, Bytes(83, '\0'));
        return;
    }
    // Without the reopened file the checksum cannot be written either.
    const bool noFileForTheChecksum = step == "15 reopen";
    ASSERT_EQ(boxes.critical.size(), noFileForTheChecksum ? 2u : 1u);
    EXPECT_TRUE(aloneInFolder());

    std::string expected = good;
    if (step == "into place") {
        // The target keeps the file of the compile before.
    } else if (step.rfind("16", 0) == 0 || noFileForTheChecksum) {
        expected.resize(81); // no checksum
    } else if (step.rfind("15", 0) == 0) {
        expected[81] = expected[82] = '\0'; // nothing added up
    } else {
        std::fill(expected.begin() + static_cast<long>(at.from),
                  expected.begin() + static_cast<long>(at.to), '\0');
        const std::uint16_t sum = sectionSum(expected);
        expected[81] = static_cast<char>(sum & 0xFF);
        expected[82] = static_cast<char>(sum >> 8);
    }
    EXPECT_EQ(file, expected);
    if (expected == good) { // a failed close or delete loses nothing here
        expectTifilesReads(target, "untitled", buildStringData("AB\r\nC"));
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStepTest, ::testing::ValuesIn(kInjections),
                         [](const auto& info) {
                             std::string name = info.param.step;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return "Step" + name;
                         });

TEST_F(CompileTest, FailedClockLeavesTheCommentOut) {
    clock.fails = true;
    boxes.answerYes();
    const std::string file = compile("AB\r\nC");
    ASSERT_EQ(boxes.critical.size(), 1u);
    EXPECT_EQ(boxes.critical[0].title, "Error 5");
    ASSERT_EQ(file.size(), 83u);
    EXPECT_EQ(file.substr(11, 42), Bytes(42, '\0'));
    expectTifilesReads(target, "untitled", buildStringData("AB\r\nC"));

    boxes.answers.clear();
    clock.set("11:00:00 PM", "12/6/2026");
    EXPECT_EQ(compile("AB\r\nC"), file); // No: the earlier file stays
    EXPECT_EQ(boxes.critical.size(), 2u);
}

// Step 2 clears the staging path (normally nothing is there); the file that
// was at the target is replaced only by a complete new one, and only on Yes.
TEST_F(CompileTest, FailedStepTwoNeverTouchesTheOldFile) {
    const Bytes old(200, 'x');
    for (const bool yes : {true, false}) {
        writeBytes(target, old);
        files.failCall(Op::Exists, files.count(Op::Exists) + 1, kInjected);
        if (yes) {
            boxes.answerYes(1);
        }
        const std::string file = compile("AB\r\nC");
        EXPECT_EQ(file, yes ? readBytes(target) : old);
        EXPECT_EQ(file.size(), yes ? 83u : 200u);
        EXPECT_TRUE(aloneInFolder());
    }
}

TEST_F(CompileTest, FailingCleanUpEndsSilently) {
    struct Case {
        const char* name;
        Op op;
    };
    for (const Case c :
         {Case{"close", Op::Close}, Case{"exists", Op::Exists}, Case{"remove", Op::Remove}}) {
        SCOPED_TRACE(c.name);
        const std::size_t boxesBefore = boxes.critical.size();
        // Step 6 fails, the user answers No, and the clean-up's own call fails.
        files.failCall(Op::Write, files.count(Op::Write) + 4, kInjected);
        writeBytes(target, "old");
        // Step 2 has already called exists and remove once; the clean-up
        // closes first.
        const int cleanUpCall = files.count(c.op) + (c.op == Op::Exists ? 2 : 1);
        files.failCall(c.op, cleanUpCall, kInjected);
        compile("AB\r\nC");
        EXPECT_EQ(boxes.critical.size(), boxesBefore + 1);
        EXPECT_TRUE(targetExists());
        EXPECT_EQ(files.calls().back().op, c.op);
        EXPECT_TRUE(files.calls().back().failed);
    }
}

TEST_F(CompileTest, PlatformFailuresCarryTheSystemsNumber) {
    // A folder that is not there.
    target = folder / "missing/out.85s";
    compile("AB\r\nC");
    ASSERT_EQ(boxes.critical.size(), 1u);
    EXPECT_EQ(boxes.critical[0].message,
              "Error 2 has occured while writing String.\r\nNo such file or directory\r\n"
              "Continue Anyway?");

    // A folder where the file should be: never deleted, not written.
    target = folder / "dir.85s";
    std::filesystem::create_directory(target);
    boxes.answerYes();
    dlgString.choose(target);
    (void)editor.cmdString_Click();
    ASSERT_GE(boxes.critical.size(), 2u);
    EXPECT_EQ(boxes.critical[1].title, "Error 21"); // EISDIR
    EXPECT_TRUE(std::filesystem::is_directory(target));

    // A pipe is written into, never replaced.
    if (!support::kHasFifos) {
        GTEST_SKIP() << "the rest needs a FIFO, which Windows lacks";
    }
    target = folder / "pipe.85s";
    support::makeFifo(target);
    {
        support::FifoReader reader(target);
        boxes.answers.clear();
        const std::size_t before = boxes.critical.size();
        dlgString.choose(target);
        EXPECT_TRUE(isDone(editor.cmdString_Click()));
        EXPECT_EQ(boxes.critical.size(), before);
        EXPECT_EQ(reader.read(100).size(), 83u);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(target));
}

TEST_F(CompileTest, EditorWithoutFileAccessWritesNothing) {
    Editor bare{doc, EditorServices{nullptr, &dlgString, &boxes, nullptr, nullptr}};
    dlgString.choose(target);
    EXPECT_FALSE(bare.cmdString_Click().ok());
    EXPECT_FALSE(targetExists());
    EXPECT_TRUE(boxes.critical.empty());
}

// A compile that fails before its first write (here the dialog throws, as
// running out of memory would) says so instead of ending silently.
TEST_F(CompileTest, AFailureBeforeTheFirstWriteIsShown) {
    struct ThrowingDialog final : FileDialog {
        FileChoice showOpen(const DialogSettings&) override {
            throw std::runtime_error("no dialog");
        }
        FileChoice showSave(const DialogSettings& s) override { return showOpen(s); }
    } dialog;
    Editor throwing{doc, EditorServices{nullptr, &dialog, &boxes, &clock, &files}};
    const CommandOutcome failed = throwing.cmdString_Click();
    ASSERT_FALSE(failed.ok());
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0].message, "Cannot compile: no dialog");
    EXPECT_EQ(boxes.errors[0].title, "Error");
    EXPECT_FALSE(targetExists());
}
