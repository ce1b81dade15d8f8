#include "UserFiles.h"

#include "io/Files.h"

#include <cstdint>
#include <cstdlib>
#include <system_error>

namespace vellum {

namespace {

// The desktop files and the registry store hold a few kilobytes; anything far
// larger is not ours and is not read into memory.
constexpr std::uint64_t kLargestUserFile = 16u << 20;

} // namespace

FileContent readWholeFile(const std::filesystem::path& file) {
    Result<std::string> read = io::readFile(io::pathToUtf8(file), kLargestUserFile);
    if (read.ok()) {
        return {FileContent::Status::Read, std::move(read.value())};
    }
    return {io::isMissing(read.failure()) ? FileContent::Status::Missing
                                          : FileContent::Status::Failed,
            {}};
}

bool writeFileAtomically(const std::filesystem::path& file, std::string_view content) {
    std::error_code ec;
    const auto folder = file.parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            return false;
        }
    }
    return io::replaceFile(io::pathToUtf8(file), content).ok();
}

WriteOutcome updateFile(const std::filesystem::path& file, std::string_view content) {
    const FileContent current = readWholeFile(file);
    if (current.status == FileContent::Status::Read && current.bytes == content) {
        return WriteOutcome::Unchanged;
    }
    return writeFileAtomically(file, content) ? WriteOutcome::Written : WriteOutcome::Failed;
}

std::filesystem::path userFolder(const char* variable, const char* fallback) {
    // A relative value counts as unset, as the XDG base directory rules say;
    // a relative HOME would make the folders depend on the current one.
    const char* value = std::getenv(variable);
    if (value != nullptr && std::filesystem::path(value).is_absolute()) {
        return value;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || !std::filesystem::path(home).is_absolute()) {
        return {};
    }
    return std::filesystem::path(home) / fallback;
}

} // namespace vellum
