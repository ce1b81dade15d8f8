#include "io/ByteFiles.h"

#include "io/Files.h"
#include "io/Staging.h"
#include "io/StagingRegister.h"

#include <algorithm>
#include <cerrno>

namespace vellum::io {

namespace fs = std::filesystem;

namespace {

// Beside the file a link leads to, so that the rename stays on its file system.
std::string stagingPathNear(const std::string& target) {
    const fs::path given = pathFromUtf8(target);
    Result<fs::path> resolved = platform::resolveLink(given);
    return pathToUtf8(staging::stagingPathBeside(resolved.ok() ? resolved.value() : given));
}

} // namespace

std::string DiskFiles::stagingPathFor(const std::string& target) {
    std::string path = stagingPathNear(target);
    staging_[path] = StagingFor{target};
    return path;
}

fs::path DiskFiles::fileAt(const std::string& path) const {
    const auto staging = staging_.find(path);
    return staging == staging_.end() || staging->second.cached.empty() ? pathFromUtf8(path)
                                                                       : staging->second.cached;
}

Result<bool> DiskFiles::exists(const std::string& path) {
    Result<FileInfo> info = platform::status(fileAt(path), false);
    if (!info.ok()) {
        return info.failure().number == ENOTDIR ? Result<bool>(false) : info.failure();
    }
    return info.value().kind == FileKind::Regular || info.value().kind == FileKind::Link;
}

Result<void> DiskFiles::remove(const std::string& path) {
    return staging::removeAndUnlist(fileAt(path));
}

Result<ByteFiles::Handle> DiskFiles::open(const std::string& path) {
    const auto staging = staging_.find(path);
    if (staging == staging_.end() || staging->second.created) {
        return platform::openForUpdate(fileAt(path)); // no staging file, or one made before
    }
    // One of the program's own streams has no folder to stage beside: the
    // user's cache folder takes the staging file.
    staging->second.stream = streamAt(staging->second.target);
    if (staging->second.stream) {
        Result<Handle> cached = staging::createInUserCache(
            pathFromUtf8(staging->second.target), staging->second.cached, staging::Listing::Listed);
        if (cached.ok()) {
            staging->second.created = true;
            staging::stagingCreated(staging->second.cached);
        }
        return cached;
    }
    // A file the user may not write is refused before anything is made.
    Result<staging::Target> where = staging::targetFor(pathFromUtf8(staging->second.target));
    if (!where.ok()) {
        return where.failure();
    }
    // Made here, private and listed, to be removed should a signal end the
    // process; opened again later (to read back what was written) as it is.
    const fs::path stagingPath = pathFromUtf8(path);
    Result<Handle> opened = staging::createAndList(stagingPath);
    if (!opened.ok() && where.value().exists && staging::folderRefused(opened.failure())) {
        Result<Handle> cached = staging::createInUserCache(
            where.value().path, staging->second.cached, staging::Listing::Listed);
        if (cached.ok()) {
            staging->second.created = true;
            staging::stagingCreated(staging->second.cached);
            return cached;
        }
        staging->second.cached.clear();
    }
    if (!opened.ok()) {
        return opened;
    }
    if (where.value().exists && where.value().way == staging::Target::Way::Replace) {
        Result<bool> given = platform::copyMetadata(where.value().path, where.value().info,
                                                    platform::currentUser(), opened.value());
        if (!given.ok()) {
            (void)platform::close(opened.value());
            (void)staging::removeAndUnlist(stagingPath);
            return given.failure();
        }
        staging->second.metadataGiven = given.value();
        staging->second.ownerRefused = !given.value();
    }
    staging->second.created = true;
    staging::stagingCreated(stagingPath);
    return opened;
}

Result<void> DiskFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    return platform::writeAt(handle, offset, bytes);
}

Result<std::string> DiskFiles::read(Handle handle, std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0'); // past the end of the file the rest stays zero
    if (Result<std::size_t> read = readFullyAt(handle, offset, bytes.data(), size); !read.ok()) {
        return read.failure();
    }
    if (size == 0) {
        if (Result<FileInfo> info = platform::status(handle); !info.ok()) {
            return info.failure(); // nothing to read, but no file either
        }
    }
    return bytes;
}

Result<void> DiskFiles::close(Handle handle) {
    return platform::close(handle);
}

Result<void> DiskFiles::replace(const std::string& staging, const std::string& target) {
    StagingFor made;
    if (const auto found = staging_.find(staging); found != staging_.end()) {
        made = found->second;
        staging_.erase(found);
    }
    const fs::path stagingPath = made.cached.empty() ? pathFromUtf8(staging) : made.cached;
    // The staged bytes, for a target written in place; the staging file goes.
    const auto takeStaged = [&stagingPath] {
        Result<std::string> bytes = readFile(pathToUtf8(stagingPath), UINT64_MAX);
        (void)staging::removeAndUnlist(stagingPath);
        return bytes;
    };
    // One of the program's own streams is written as a stream, never renamed
    // over (the file standard output was redirected to, say). Which stream,
    // if any, was found when the staging file was made.
    if (made.stream) {
        Result<std::string> bytes = takeStaged();
        return bytes.ok() ? writeStream(*made.stream, bytes.value())
                          : Result<void>(bytes.failure());
    }
    Result<staging::Target> where = staging::targetFor(pathFromUtf8(target));
    if (!where.ok()) {
        (void)staging::removeAndUnlist(stagingPath);
        return where.failure();
    }
    if (where.value().way == staging::Target::Way::InPlace) {
        Result<std::string> bytes = takeStaged();
        return bytes.ok() ? staging::writeInPlace(where.value().path, bytes.value())
                          : Result<void>(bytes.failure());
    }
    // A target that a rename would split from its links or give another
    // owner, or whose folder took no staging file, takes the bytes into itself.
    if (where.value().exists &&
        (where.value().linked || made.ownerRefused || !made.cached.empty())) {
        Result<std::string> bytes = takeStaged();
        return bytes.ok()
                   ? staging::writeIntoFile(where.value().path, bytes.value(),
                                            made.cached.empty() ? staging::Backup::Beside
                                                                : staging::Backup::InUserCache)
                   : Result<void>(bytes.failure());
    }
    // Only a staging file that was written replaces the target; none is made here.
    Result<Handle> opened = platform::openInPlace(stagingPath, true);
    if (!opened.ok()) {
        (void)staging::removeAndUnlist(stagingPath);
        return opened.failure();
    }
    return staging::settle(opened.value(), stagingPath, where.value(), true, false,
                           made.metadataGiven);
}

std::string BufferedFiles::stagingPathFor(const std::string& target) {
    return target + ".staging";
}

Result<bool> BufferedFiles::exists(const std::string& path) {
    return files_.count(path) != 0;
}

Result<void> BufferedFiles::remove(const std::string& path) {
    const auto found = files_.find(path);
    if (found == files_.end()) {
        return Failure::fromErrno(ENOENT);
    }
    // A handle still open on the file stops working rather than point at nothing.
    std::erase_if(open_, [&](const auto& entry) { return entry.second == &found->second; });
    files_.erase(found);
    return {};
}

Result<ByteFiles::Handle> BufferedFiles::open(const std::string& path) {
    open_[next_] = &files_.try_emplace(path).first->second;
    return next_++;
}

std::string* BufferedFiles::fileOf(Handle handle) {
    const auto found = open_.find(handle);
    return found == open_.end() ? nullptr : found->second;
}

Result<void> BufferedFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    std::string* file = fileOf(handle);
    if (file == nullptr) {
        return Failure::fromErrno(EBADF);
    }
    // The writer's offsets stay below 64 KiB; anything far beyond is refused
    // as a real file system would refuse it.
    if (offset > (1u << 20) || bytes.size() > (1u << 24)) {
        return Failure::fromErrno(EFBIG);
    }
    const std::size_t at = static_cast<std::size_t>(offset);
    // The writer grows its file a step at a time, and by a few bytes after
    // the text: room to spare spares a copy of the whole at each step.
    constexpr std::size_t kRoomAfterText = 64;
    if (const std::size_t end = at + bytes.size(); end > file->capacity()) {
        file->reserve(std::max(end + kRoomAfterText, 2 * file->capacity()));
    }
    if (file->size() < at) {
        file->resize(at, '\0'); // a gap reads as zeros, as in a sparse file
    }
    // Overwrites what is there and grows the file by the rest, in one copy.
    file->replace(at, std::min(bytes.size(), file->size() - at), bytes);
    return {};
}

Result<std::string> BufferedFiles::read(Handle handle, std::uint64_t offset, std::size_t size) {
    const std::string* file = fileOf(handle);
    if (file == nullptr) {
        return Failure::fromErrno(EBADF);
    }
    std::string bytes = offset < file->size() ? file->substr(offset, size) : std::string();
    bytes.resize(size, '\0'); // past the end reads as zeros
    return bytes;
}

Result<void> BufferedFiles::close(Handle handle) {
    if (open_.erase(handle) == 0) {
        return Failure::fromErrno(EBADF);
    }
    return {};
}

Result<void> BufferedFiles::replace(const std::string& staging, const std::string& target) {
    const auto found = files_.find(staging);
    if (found == files_.end()) {
        return Failure::fromErrno(ENOENT);
    }
    std::string bytes = std::move(found->second);
    std::erase_if(open_, [&](const auto& entry) { return entry.second == &found->second; });
    files_.erase(found);
    return deliver_(target, std::move(bytes));
}

} // namespace vellum::io
