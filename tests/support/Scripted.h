#pragma once
// Scripted surroundings for the commands: message boxes and file dialogs that
// record what they were asked and answer from a script, and a clock that
// shows a fixed moment or fails.

#include "commands/Services.h"

#include <deque>
#include <string>
#include <vector>

namespace vellum::support {

class ScriptedBoxes final : public MessageBoxes {
  public:
    struct Box {
        std::string message;
        std::string title;
    };

    // Answers for the questions and the Yes/No boxes, in order. Once they have
    // run out a question is answered Cancel and a Yes/No box No.
    std::deque<Answer> answers;
    // The boxes shown, by kind.
    std::vector<Box> questions; // Yes/No/Cancel
    std::vector<Box> critical;  // the writer's Yes/No
    std::vector<Box> yesNo;     // Yes/No, question icon
    std::vector<Box> errors;    // OK, error icon
    std::vector<Box> warnings;  // OK, warning icon

    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    bool askYesNoCritical(const std::string& message, const std::string& title) override;
    bool askYesNo(const std::string& message, const std::string& title) override;
    void showError(const std::string& message, const std::string& title) override;
    void showWarning(const std::string& message, const std::string& title) override;

    // The next count answers are Yes.
    void answerYes(int count = 1000) { answers.insert(answers.end(), count, Answer::Yes); }

  private:
    Answer next(Answer whenNone);
};

class ScriptedDialog final : public FileDialog {
  public:
    struct Shown {
        bool save;
        DialogSettings settings;
    };

    // The next answer: the path, with its last component as the file title.
    void choose(const std::string& path);
    void cancel() { choices_.push_back({}); }

    FileChoice showOpen(const DialogSettings& settings) override { return show(false, settings); }
    FileChoice showSave(const DialogSettings& settings) override { return show(true, settings); }

    // Every time the dialog was shown. Without a scripted answer it is cancelled.
    std::vector<Shown> shown;

  private:
    FileChoice show(bool save, const DialogSettings& settings);
    std::deque<FileChoice> choices_;
};

class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::string time = "10:15:30 PM", std::string date = "12/6/2026")
        : reading_{std::move(time), std::move(date)} {}

    Result<ClockReading> now() override;
    void set(std::string time, std::string date) { reading_ = {std::move(time), std::move(date)}; }

    bool fails = false; // then now() reports EIO

  private:
    ClockReading reading_;
};

} // namespace vellum::support
