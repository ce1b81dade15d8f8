#pragma once
// Scripted surroundings for the string writer: failure boxes answered from a
// script, and a clock that shows a fixed time or fails.

#include "formats/Editor.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace vellum::testing {

// Records every box; Yes/No boxes take their answers from the script (No once
// it has run out).
class AnsweringBoxes : public MessageBoxes {
  public:
    struct Box {
        std::string message;
        std::string title;
    };

    Answer askYesNoCancel(const std::string& message, const std::string& title) override {
        questions.push_back({message, title});
        return Answer::Cancel;
    }
    bool askYesNoCritical(const std::string& message, const std::string& title) override {
        critical.push_back({message, title});
        if (yesNo.empty()) {
            return false;
        }
        const bool yes = yesNo.front();
        yesNo.pop_front();
        return yes;
    }
    void showError(const std::string& message, const std::string& title) override {
        errors.push_back({message, title});
    }
    // Every later Yes/No box is answered Yes.
    void answerYes(int count = 1000) { yesNo.insert(yesNo.end(), count, true); }

    std::deque<bool> yesNo;
    std::vector<Box> questions;
    std::vector<Box> critical;
    std::vector<Box> errors;
};

class FixedClock : public Clock {
  public:
    FixedClock(std::string time = "10:15:30 PM", std::string date = "12/6/2026")
        : time_(std::move(time)), date_(std::move(date)) {}
    std::string timeText() override {
        if (fails) {
            throw std::system_error(std::make_error_code(std::errc::io_error), "clock");
        }
        return time_;
    }
    std::string dateText() override { return date_; }
    void set(std::string time, std::string date) {
        time_ = std::move(time);
        date_ = std::move(date);
    }

    bool fails = false;

  private:
    std::string time_;
    std::string date_;
};

} // namespace vellum::testing
