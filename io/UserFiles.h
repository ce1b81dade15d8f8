#pragma once
// What start-up writes into the user's folders: where those folders are;
// whole files, read (bounded) and compared before they are written, and
// replaced through replaceFile, so that a reader never sees half a file
// and a failure leaves the old one.

#include "core/Outcome.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vellum::io {

// The whole file, when it is a small one (a desktop file, the registry store);
// a missing file is a failure that isMissing (Files.h) recognises.
Result<std::string> readUserFile(const std::filesystem::path& file);

// Replaces file by content (a link written through, mode and attributes
// kept), creating the missing folders first.
Result<void> writeUserFile(const std::filesystem::path& file, std::string_view content);

// Writes only when the file does not already hold exactly content; true when
// it wrote.
Result<bool> updateUserFile(const std::filesystem::path& file, std::string_view content);

// True when the file made from source is missing or older than source.
bool isOutdated(const std::filesystem::path& made, const std::filesystem::path& source);

// A folder named by an XDG variable (used only when absolute), else
// $HOME/fallback; empty without a home folder (HOME unset or not absolute).
std::filesystem::path userFolder(const char* variable, const char* fallback);

} // namespace vellum::io
