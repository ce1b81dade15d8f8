#include "Files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace vellum {

FileContent readWholeFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {FileContent::Status::Missing, {}};
    }
    if (ec || status.type() != std::filesystem::file_type::regular) {
        return {FileContent::Status::Failed, {}};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {FileContent::Status::Failed, {}};
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return {FileContent::Status::Failed, {}};
    }
    return {FileContent::Status::Read, std::move(bytes)};
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
    // A name of our own beside the target, so that the rename stays on one
    // file system and two editors starting at once do not share it.
    std::random_device random;
    auto temporary = file;
    temporary += ".tmp-" + std::to_string(random()) + std::to_string(random());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
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

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace vellum
