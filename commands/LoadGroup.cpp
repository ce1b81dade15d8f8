// Load .85s of a group file (.85g): the strings the string loader can read
// are offered, each as the file that would carry it alone.

#include "Editor.h"

#include "Messages.h"
#include "formats/StringReader.h"
#include "formats/VariableFile.h"
#include "io/Files.h"

#include <cerrno>

namespace vellum {

CommandOutcome Editor::LoadGroup(const std::string& path, const Bytes& title) {
    Result<std::string> read = io::readPrefix(path, variablefile::kReadLimit);
    if (!read.ok() && !io::isMissing(read.failure())) {
        return fail(read.failure(), messages::cannotOpen(path, read.failure().text));
    }
    // As lenient as the string loader: whatever entries can be found count,
    // whatever the checksum or the tail of the file says.
    const std::string head = read.ok() ? std::move(read.value()) : std::string();
    const VariableFile group = readVariableFile(head, head.size());
    std::vector<Bytes> strings;
    std::vector<std::string> items;
    for (const VariableEntry& entry : group.entries) {
        if (entry.type != stringfile::kStringType) {
            continue;
        }
        Bytes alone = fileOfEntryAlone(group, entry);
        if (decodeStringFile(alone).ok()) {
            items.push_back(messages::groupString(Charset::toUtf8(Charset::decodeText(entry.name)),
                                                  entry.data.size()));
            strings.push_back(std::move(alone));
        }
    }
    if (strings.empty()) {
        return fail(Failure{EINVAL, "no string of the group has the viewer's marker"},
                    messages::kNotScrollet);
    }
    std::size_t chosen = 0;
    if (strings.size() > 1) {
        if (services_.chooser == nullptr) {
            return Completion::Cancelled;
        }
        const std::optional<std::size_t> choice = services_.chooser->choose(
            messages::kChooseStringTitle, messages::kChooseStringPrompt, items);
        if (!choice || *choice >= strings.size()) {
            return Completion::Cancelled;
        }
        chosen = *choice;
    }
    return LoadStringBytes(strings[chosen], title);
}

} // namespace vellum
