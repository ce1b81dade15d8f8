#include "UserFiles.h"

#include "io/Files.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <system_error>

namespace vellum::io {

namespace {

// The desktop files and the registry store hold a few kilobytes; anything far
// larger is not ours and is not read into memory.
constexpr std::uint64_t kLargestUserFile = 16u << 20;

} // namespace

Result<std::string> readUserFile(const std::filesystem::path& file) {
    return readFile(pathToUtf8(file), kLargestUserFile);
}

Result<void> writeUserFile(const std::filesystem::path& file, std::string_view content) {
    std::error_code ec;
    const auto folder = file.parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            return Failure::fromErrno(ec.default_error_condition().value());
        }
    }
    return replaceFile(pathToUtf8(file), content);
}

Result<bool> updateUserFile(const std::filesystem::path& file, std::string_view content) {
    const Result<std::string> current = readUserFile(file);
    if (current.ok() && current.value() == content) {
        return false;
    }
    Result<void> written = writeUserFile(file, content);
    if (!written.ok()) {
        return written.failure();
    }
    return true;
}

bool isOutdated(const std::filesystem::path& made, const std::filesystem::path& source) {
    std::error_code ec;
    const auto madeTime = std::filesystem::last_write_time(made, ec);
    if (ec) {
        return true;
    }
    const auto sourceTime = std::filesystem::last_write_time(source, ec);
    return !ec && madeTime < sourceTime;
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

} // namespace vellum::io
