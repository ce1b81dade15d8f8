#include "Association.h"

#include "io/ProcessLock.h"

#include <cerrno>

namespace vellum {

std::string ProgramLocation::path() const {
    if (folder.empty()) {
        return name; // found through PATH, as an installed editor is
    }
    // A program at the top of a drive or of the file system has a folder
    // that already ends in the separator.
    if (!folder.empty() && folder.back() == separator) {
        return folder + name;
    }
    return folder + separator + name;
}

AssociationEntries associationEntries(const ProgramLocation& program) {
    const std::string ext(kDocumentExtension);
    const std::string path = program.path();
    const std::string command = path.find(' ') == std::string::npos ? path : '"' + path + '"';
    return {{
        {ext, std::string(kDocumentTypeName)},
        {ext + "\\DefaultIcon", path + ",1"},
        {ext + "\\Shell\\Open", std::string(kOpenActionName)},
        {ext + "\\Shell\\Open\\Command", command + " %1"},
    }};
}

int writeAssociationEntries(Registry& registry, const AssociationEntries& entries,
                            const std::function<void(const AssociationEntry&)>& failed) {
    int written = 0;
    for (const AssociationEntry& entry : entries) {
        if (registry.SaveRegString(RegistryRoot::ClassesRoot, entry.keyPath, "", entry.data)) {
            ++written;
        } else if (failed) {
            failed(entry);
        }
    }
    return written;
}

Result<void> whileAssociationLocked(std::chrono::milliseconds patience,
                                    const std::function<void()>& write) {
    const auto location = associationLocation();
    if (!location) {
        write();
        return {};
    }
    const Result<io::ProcessLock> lock = io::ProcessLock::acquire(*location, patience);
    if (!lock.ok() && lock.failure().number == ETIMEDOUT) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(patience).count();
        return Failure{ETIMEDOUT, "another program kept writing it for " + std::to_string(seconds) +
                                      (seconds == 1 ? " second" : " seconds")};
    }
    write();
    return {};
}

} // namespace vellum
