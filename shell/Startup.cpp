#include "Startup.h"

#include "CommandLine.h"
#include "io/Files.h"

namespace vellum {

namespace {

std::string openFailedMessage(const std::string& path, const std::string& reason) {
    return "Cannot open \"" + path + "\":\n" +
           (reason.empty() ? std::string("The file could not be read.") : reason);
}

} // namespace

std::string unreadableReason(const std::string& path) {
    // Opening reads nothing but proves the file may be read; a FIFO or device
    // is refused before it is opened, so nothing here can block.
    const Result<std::string> opened = io::readPrefix(path, 0);
    return opened.ok() ? std::string() : opened.failure().text;
}

void Form_Load(const StartupSteps& steps) {
    if (steps.newDocument) {
        steps.newDocument();
    }
    continueFormLoad(steps);
}

void continueFormLoad(const StartupSteps& steps) {
    const AssociationEntries entries = associationEntries(steps.program);
    if (steps.registry != nullptr) {
        writeAssociationEntries(*steps.registry, entries);
    }
    if (steps.associateDesktop) {
        steps.associateDesktop(steps.program, entries);
    }

    const auto action = commandLineAction(steps.commandLine);
    if (!action) {
        return;
    }
    const auto& load = action->loader == StartupLoader::Text ? steps.loadText : steps.loadString;
    if (!load) {
        return;
    }
    const std::string& path = steps.commandLine;
    const auto report = [&](const std::string& reason) {
        if (steps.boxes != nullptr) {
            steps.boxes->showError(openFailedMessage(path, reason), kOpenFailedTitle);
        }
    };
    // A missing file, a folder or a file we may not read would reach the
    // loaders as an empty file or a read error; say what it is instead.
    if (const std::string reason = unreadableReason(path); !reason.empty()) {
        report(reason);
        return;
    }
    const LoadResult result = load(path, action->title);
    if (result.status == LoadResult::Status::Failed) {
        report(result.reason);
        // A loader may have begun to change the document before it failed;
        // the editor goes on with the empty document of step 2.
        if (steps.newDocument) {
            steps.newDocument();
        }
    }
}

} // namespace vellum
