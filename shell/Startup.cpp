#include "Startup.h"

#include "CommandLine.h"
#include "Files.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace vellum {

namespace {

std::string openFailedMessage(const std::string& path, const std::string& reason) {
    return "Cannot open \"" + path + "\":\n" +
           (reason.empty() ? std::string("The file could not be read.") : reason);
}

} // namespace

std::string unreadableReason(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (ec) {
        return ec.message();
    }
    if (fs::is_directory(status)) {
        return std::make_error_code(std::errc::is_a_directory).message();
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int error = errno != 0 ? errno : static_cast<int>(std::errc::permission_denied);
        return std::generic_category().message(error);
    }
    return {};
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
