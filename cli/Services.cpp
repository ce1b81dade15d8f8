#include "Commands.h"

#include <filesystem>
#include <ostream>

namespace vellum::cli {

namespace {

FileChoice choose(const std::string& path) {
    return {path, std::filesystem::path(path).filename().string()};
}

} // namespace

FileChoice FixedFileDialog::showOpen(const DialogSettings& /*settings*/) {
    return choose(path_);
}
FileChoice FixedFileDialog::showSave(const DialogSettings& /*settings*/) {
    return choose(path_);
}

Answer RecordingBoxes::askYesNoCancel(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
    return Answer::Cancel;
}

bool RecordingBoxes::askYesNoCritical(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
    return false;
}

void RecordingBoxes::showError(const std::string& message, const std::string& title) {
    shown_.push_back({message, title});
}

std::string RecordingBoxes::firstAsLine() const {
    if (shown_.empty()) {
        return {};
    }
    std::string line;
    for (const std::string& part : messageLines(shown_.front().message)) {
        if (!part.empty() && part != "Continue Anyway?") {
            line += line.empty() ? "" : " ";
            line += part;
        }
    }
    return line;
}

std::vector<std::string> messageLines(const std::string& message) {
    std::vector<std::string> lines;
    std::string_view rest = message;
    for (;;) {
        const auto end = rest.find("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos) {
            return lines;
        }
        rest = rest.substr(end + 2);
    }
}

void report(Io io, const std::string& line) {
    io.err << kProgram << ": " << line << '\n';
}

} // namespace vellum::cli
