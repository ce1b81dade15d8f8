#include "Association.h"

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

} // namespace vellum
