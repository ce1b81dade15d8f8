#pragma once
// Stand-ins for the file dialogs and message boxes: they record what the
// commands asked and answer from a queue.

#include "formats/Editor.h"

#include <deque>
#include <string>
#include <vector>

namespace vellum::test {

class FakeDialog final : public FileDialog {
  public:
    struct Shown {
        bool save;
        DialogSettings settings;
    };

    FileChoice showOpen(const DialogSettings& settings) override { return show(false, settings); }
    FileChoice showSave(const DialogSettings& settings) override { return show(true, settings); }

    // The next answer; without one the dialog is cancelled.
    void choose(const std::string& path, const std::string& fileTitle) {
        answers.push_back({path, fileTitle});
    }

    std::vector<Shown> shown;
    std::deque<FileChoice> answers;

  private:
    FileChoice show(bool save, const DialogSettings& settings) {
        shown.push_back({save, settings});
        if (answers.empty()) {
            return {};
        }
        FileChoice choice = answers.front();
        answers.pop_front();
        return choice;
    }
};

class FakeBoxes final : public MessageBoxes {
  public:
    struct Shown {
        std::string kind; // "question", "critical", "error"
        std::string message;
        std::string title;
    };

    Answer askYesNoCancel(const std::string& message, const std::string& title) override {
        shown.push_back({"question", message, title});
        return next();
    }
    bool askYesNoCritical(const std::string& message, const std::string& title) override {
        shown.push_back({"critical", message, title});
        return next() == Answer::Yes;
    }
    void showError(const std::string& message, const std::string& title) override {
        shown.push_back({"error", message, title});
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers; // empty: Cancel (or No)

  private:
    Answer next() {
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace vellum::test
