#pragma once
// What start-up writes into the user's folders: where those folders are;
// whole files, read (bounded) and compared before they are written, and
// replaced through io::replaceFile, so that a reader never sees half a file
// and a failure leaves the old one.

#include <filesystem>
#include <string>
#include <string_view>

namespace vellum {

struct FileContent {
    enum class Status { Missing, Read, Failed };
    Status status = Status::Failed;
    std::string bytes;
};

FileContent readWholeFile(const std::filesystem::path& file);

enum class WriteOutcome { Unchanged, Written, Failed };

// Replaces file by content (a link written through, mode and attributes
// kept), creating the missing folders first. True on success.
bool writeFileAtomically(const std::filesystem::path& file, std::string_view content);

// Writes only when the file does not already hold exactly content.
WriteOutcome updateFile(const std::filesystem::path& file, std::string_view content);

// A folder named by an XDG variable (used only when absolute), else
// $HOME/fallback; empty without a home folder (HOME unset or not absolute).
std::filesystem::path userFolder(const char* variable, const char* fallback);

} // namespace vellum
