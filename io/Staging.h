#pragma once
// Inside io/: how a write reaches its target. Shared by replaceFile and the
// byte files of the string writer.

#include "core/Outcome.h"
#include "io/Platform.h"

#include <filesystem>
#include <string_view>

namespace vellum::io::staging {

// Where and how bytes for a given path are to be written.
struct Target {
    enum class Way { Replace, InPlace };
    Way way = Way::Replace;
    std::filesystem::path path; // links resolved
    bool exists = false;        // a regular file is there (its metadata is kept)
};

// Follows links and sorts the target: a regular file or nothing is replaced,
// a character device or FIFO written in place, anything else refused.
Result<Target> targetFor(const std::filesystem::path& given);

// A fresh name beside target, nobody's yet, that fits wherever target fits.
std::filesystem::path stagingPathBeside(const std::filesystem::path& target);

// Creates a staging file for target (a new name on every collision).
Result<NativeHandle> createStaging(const std::filesystem::path& target,
                                   std::filesystem::path& stagingPath);

// Takes over an open staging file holding the complete bytes: gives it the
// target's metadata, flushes it (when flushNow), closes it and, unless
// renameLater, renames it over the target and flushes the folder. On failure
// the staging file is closed and removed and the target untouched.
Result<void> settle(NativeHandle handle, const std::filesystem::path& stagingPath,
                    const Target& target, bool flushNow, bool renameLater = false);

// Writes bytes into a device or FIFO, as `cat > target` would.
Result<void> writeInPlace(const std::filesystem::path& target, std::string_view bytes);

} // namespace vellum::io::staging
