#include "Scripted.h"

#include <cerrno>
#include <filesystem>

namespace vellum::support {

Answer ScriptedBoxes::next(Answer whenNone) {
    if (answers.empty()) {
        return whenNone;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

Answer ScriptedBoxes::askYesNoCancel(const std::string& message, const std::string& title) {
    questions.push_back({message, title});
    return next(Answer::Cancel);
}

bool ScriptedBoxes::askYesNoCritical(const std::string& message, const std::string& title) {
    critical.push_back({message, title});
    return next(Answer::No) == Answer::Yes;
}

bool ScriptedBoxes::askYesNo(const std::string& message, const std::string& title) {
    yesNo.push_back({message, title});
    return next(Answer::No) == Answer::Yes;
}

void ScriptedBoxes::showError(const std::string& message, const std::string& title) {
    errors.push_back({message, title});
}

void ScriptedBoxes::showWarning(const std::string& message, const std::string& title) {
    warnings.push_back({message, title});
}

void ScriptedDialog::choose(const std::string& path) {
    choices_.push_back({path, std::filesystem::path(path).filename().string()});
}

FileChoice ScriptedDialog::show(bool save, const DialogSettings& settings) {
    shown.push_back({save, settings});
    if (choices_.empty()) {
        return {};
    }
    FileChoice choice = choices_.front();
    choices_.pop_front();
    return choice;
}

Result<ClockReading> FixedClock::now() {
    if (fails) {
        return Failure::fromErrno(EIO);
    }
    return reading_;
}

} // namespace vellum::support
