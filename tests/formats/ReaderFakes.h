#pragma once
// Scripted dialogs and message boxes, a scratch folder, and small file
// helpers for the loader and text-document suites.

#include "formats/Clocks.h"
#include "formats/Editor.h"
#include "io/ByteFiles.h"

#include "tests/Environment.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vellum::testing {

// Answers each dialog with the next scripted choice (a cancel when none is
// left) and records how it was shown.
class ScriptedDialog : public FileDialog {
  public:
    struct Shown {
        bool save;
        DialogSettings settings;
    };

    void choose(const std::string& path) {
        choices_.push_back({path, std::filesystem::path(path).filename().string()});
    }
    void cancel() { choices_.push_back({}); }

    FileChoice showOpen(const DialogSettings& settings) override { return show(false, settings); }
    FileChoice showSave(const DialogSettings& settings) override { return show(true, settings); }

    std::vector<Shown> shown;

  private:
    FileChoice show(bool save, const DialogSettings& settings) {
        shown.push_back({save, settings});
        if (choices_.empty()) {
            return {};
        }
        FileChoice choice = choices_.front();
        choices_.pop_front();
        return choice;
    }
    std::deque<FileChoice> choices_;
};

class RecordingBoxes : public MessageBoxes {
  public:
    struct Box {
        std::string message;
        std::string title;
    };

    Answer askYesNoCancel(const std::string& message, const std::string& title) override {
        questions.push_back({message, title});
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool askYesNoCritical(const std::string& message, const std::string& title) override {
        critical.push_back({message, title});
        return false;
    }
    void showError(const std::string& message, const std::string& title) override {
        errors.push_back({message, title});
    }

    std::deque<Answer> answers;
    std::vector<Box> questions;
    std::vector<Box> critical;
    std::vector<Box> errors;
};

// A fresh folder per test, removed afterwards.
class ScratchFolder {
  public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "vellum-" + std::string(info->test_suite_name()) + "-" + info->name() +
                           "-" + std::to_string(processId());
        for (char& c : name) {
            c = c == '/' ? '_' : c;
        }
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    // The names of the files in the folder.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Puts the checksum of a string file right again after a change to its data
// section (the bytes from offset 55 up to the last two).
inline void fixChecksum(std::string& file) {
    unsigned sum = 0;
    for (std::size_t i = 55; i + 2 < file.size(); ++i) {
        sum += static_cast<unsigned char>(file[i]);
    }
    file[file.size() - 2] = static_cast<char>(sum & 0xFF);
    file[file.size() - 1] = static_cast<char>((sum >> 8) & 0xFF);
}

// An editor over a window-less document, with scripted services. The
// document starts as start-up leaves it.
struct EditorFixture : ::testing::Test {
    ScratchFolder folder;
    ScriptedDialog dlgFile;
    ScriptedDialog dlgString;
    RecordingBoxes boxes;
    FixedUtcClock clock{1796595330}; // 2026-12-06 22:15:30 UTC
    io::DiskFiles files;
    Document doc;
    Editor editor{doc, EditorServices{&dlgFile, &dlgString, &boxes, &clock, &files}};

    // Compiles the text under the name with the editor's compile command and
    // returns the file's bytes.
    std::string compile(const Bytes& name, const Bytes& text, const std::string& path) {
        doc.VarName = name;
        doc.setText(text);
        dlgString.choose(path);
        editor.cmdString_Click();
        return readBytes(path);
    }

    EditorFixture() {
        doc.IsSaved = true;
        doc.cmdNew_Click();
    }

    // The document fields and captions a failed command must leave alone.
    struct Snapshot {
        Bytes text, VarName, DocTitle;
        std::string DocPath;
        bool IsSaved, HasPath;
        Bytes nameBox, lblFileName;
        std::string lblSave, lblSize;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const {
        return {doc.text(),  doc.VarName,   doc.DocTitle,      doc.DocPath,   doc.IsSaved,
                doc.HasPath, doc.nameBox(), doc.lblFileName(), doc.lblSave(), doc.lblSize()};
    }
};

} // namespace vellum::testing
