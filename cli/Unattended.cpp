// The file dialog and the message boxes of a program without a window.

#include "Commands.h"

#include "io/Files.h"

namespace vellum::cli {

namespace {

FileChoice choose(const std::string& path) {
    return {path, io::fileNameOf(path)};
}

} // namespace

FileChoice FixedFileDialog::showOpen(const DialogSettings& /*settings*/) {
    return choose(path_);
}
FileChoice FixedFileDialog::showSave(const DialogSettings& /*settings*/) {
    return choose(path_);
}

Answer UnattendedBoxes::askYesNoCancel(const std::string&, const std::string&) {
    return Answer::Cancel;
}

bool UnattendedBoxes::askYesNoCritical(const std::string&, const std::string&) {
    return false;
}

bool UnattendedBoxes::askYesNo(const std::string&, const std::string&) {
    return false;
}

void UnattendedBoxes::showError(const std::string&, const std::string&) {}

void UnattendedBoxes::showWarning(const std::string&, const std::string&) {}

} // namespace vellum::cli
