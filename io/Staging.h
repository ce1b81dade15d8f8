#pragma once
// Inside io/: how a write reaches its target. Shared by replaceFile and the
// byte files of the string writer.

#include "core/Outcome.h"
#include "io/Files.h"
#include "io/Platform.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace vellum::io::staging {

// Where and how bytes for a given path are to be written.
struct Target {
    enum class Way { Replace, InPlace };
    Way way = Way::Replace;
    std::filesystem::path path; // links resolved
    bool exists = false;        // a regular file is there (its metadata is kept)
    bool linked = false;        // and it has other names (hard links) that a rename would split off
    FileInfo info;              // what a look at the existing file found
};

// What stands at a path: one look at the path, and one through it where it is
// a symbolic link.
Result<Standing> standingAt(const std::filesystem::path& path);

// Follows links and sorts the target: a regular file or nothing is replaced,
// a character device or FIFO written in place, anything else refused. An
// existing file that the user may not write is refused as an open for
// writing would refuse it ("Permission denied"), although its folder might
// let a staging file take its place. standing, when given, is what a look at
// the path just found, and the path is not looked at again.
Result<Target> targetFor(std::filesystem::path given,
                         const std::optional<Standing>& standing = std::nullopt);

// A fresh name beside target, nobody's yet, that fits wherever target fits.
std::filesystem::path stagingPathBeside(const std::filesystem::path& target);

// Whether a private file is a staging file, listed so that a signal ending
// the process removes it, or a copy of a file's old content, which must
// outlive any interruption of the write it guards.
enum class Listing { Listed, Kept };

// Creates a private (0600) file beside near, on a new name at every collision.
Result<NativeHandle> createPrivate(const std::filesystem::path& near,
                                   std::filesystem::path& createdPath, Listing listing);

// How a staging file came to be.
enum class Staged {
    Ready,       // created, with the existing target's metadata when there is one
    OwnerRefused // not created: the user may not give it the target's owner or group
};

// Creates a staging file for target, private, and gives it the existing
// target's owner, group, mode, ACLs and extended attributes before it holds
// a byte: nobody may read the new content who could not read the old. user
// is who the process acts as.
Result<Staged> createStaging(const Target& target, const platform::User& user, NativeHandle& handle,
                             std::filesystem::path& stagingPath);

// Takes over an open staging file holding the complete bytes: gives a new
// file the mode a plain create gives, or an existing target's metadata unless
// metadataGiven, flushes it (when flushNow), closes it and, unless
// renameLater, renames it over the target and flushes the folder. On failure
// the staging file is closed and removed and the target untouched.
Result<void> settle(NativeHandle handle, const std::filesystem::path& stagingPath,
                    const Target& target, bool flushNow, bool renameLater = false,
                    bool metadataGiven = true);

// Where writeIntoFile keeps the copy of the old content while it writes.
enum class Backup { Beside, InUserCache };

// Writes bytes into the existing file at target itself, which stays the same
// file (its other names, its owner): where a rename would split it from its
// links or give it another owner, or where its folder takes no staging file.
// A complete copy of the old content is written and flushed first, beside the
// file or in the user's cache folder; any failure puts the old content back
// from it and, should that fail too, says where the copy stands. The copy is
// removed once the file holds the new content. begun, when given, tells
// whether the file was written to (false: it was left as it was before any
// write, for want of a copy, say).
Result<void> writeIntoFile(const std::filesystem::path& target, std::string_view bytes,
                           Backup backup, bool* begun = nullptr);

// Creates a private file in the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache, vellum/), named after target: for what cannot stand beside it.
Result<NativeHandle> createInUserCache(const std::filesystem::path& target,
                                       std::filesystem::path& createdPath, Listing listing);

// Whether a failure to create a staging file is its folder's refusal, which
// writing into the file itself may get around.
bool folderRefused(const Failure& failure);

// For the tests of the file layer: called with each staging file's path once
// it is created and given its metadata, before its first byte is written.
void onStagingCreated(std::function<void(const std::filesystem::path&)> call);
void stagingCreated(const std::filesystem::path& stagingPath);

// Writes bytes into a device or FIFO, as `cat > target` would (unless FIFO
// writes are set not to wait for a reader).
Result<void> writeInPlace(const std::filesystem::path& target, std::string_view bytes);

} // namespace vellum::io::staging
