#include "io/Staging.h"

#include "io/Files.h"
#include "io/StagingRegister.h"
#include "io/UserFiles.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <system_error>

namespace vellum::io::staging {

namespace fs = std::filesystem;

namespace {

// Room for the random part: ".", 12 hex digits.
constexpr std::size_t kRandomPart = 13;
constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string randomText(std::size_t length) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += kDigits[random() % kDigits.size()];
    }
    return text;
}

// Cuts UTF-8 text to at most size bytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t size) {
    if (text.size() <= size) {
        return text;
    }
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    return text.substr(0, size);
}

} // namespace

Result<Standing> standingAt(const fs::path& path) {
    if (path.empty()) {
        return Failure::fromErrno(ENOENT);
    }
    // Most paths are no link, and one look without following settles them.
    Result<FileInfo> info = platform::status(path, false);
    const bool link = info.ok() && info.value().kind == FileKind::Link;
    if (link) {
        info = platform::status(path, true);
    }
    if (!info.ok()) {
        return info.failure();
    }
    return Standing{info.value(), link};
}

Result<Target> targetFor(fs::path given, const std::optional<Standing>& standing) {
    if (given.empty()) {
        return Failure::fromErrno(ENOENT);
    }
    // What the path finally leads to decides; a device or FIFO is written
    // through the path as given (/dev/stdout leads to a pipe that has no name).
    const Result<Standing> looked = standing ? Result<Standing>(*standing) : standingAt(given);
    if (!looked.ok()) {
        return looked.failure();
    }
    const FileInfo& info = looked.value().info;
    const bool link = looked.value().link;
    Target target;
    target.path = std::move(given);
    switch (info.kind) {
    case FileKind::CharDevice:
    case FileKind::Fifo:
        target.way = Target::Way::InPlace;
        return target;
    case FileKind::Regular:
    case FileKind::Missing: // nothing there, or a dangling link: a new file
        break;
    case FileKind::Folder:
        return Failure::fromErrno(EISDIR);
    default:
        return notRegularFile(info.kind);
    }
    if (link) {
        Result<fs::path> resolved = platform::resolveLink(target.path);
        if (!resolved.ok()) {
            return resolved.failure();
        }
        target.path = resolved.value();
    }
    target.exists = info.kind == FileKind::Regular;
    if (target.exists) {
        if (Result<void> writable = platform::mayWrite(target.path); !writable.ok()) {
            return writable.failure();
        }
        target.linked = info.links > 1;
        target.info = info;
    }
    return target;
}

fs::path stagingPathBeside(const fs::path& target) {
    // The staging path is the folder as target spells it and a name, parsed once.
    const std::basic_string_view<fs::path::value_type> folder = spelledFolderOf(target);
    // A batch stages many files in one folder: its limits are asked once.
    thread_local fs::path::string_type limitsFolder;
    thread_local std::optional<platform::NameLimits> folderLimits;
    if (!folderLimits || folder != limitsFolder) {
        folderLimits = platform::nameLimits(target.parent_path());
        limitsFolder = folder;
    }
    const platform::NameLimits limits = *folderLimits;
    // Never longer than the target's own name where that is all the room there is.
    const std::size_t room =
        std::min(limits.name, limits.path > folder.size() ? limits.path - folder.size() : 1);
    std::string name;
    if (room >= kRandomPart + 2) {
        const std::string base(reinterpret_cast<const char*>(target.filename().u8string().c_str()));
        name = "." + cutUtf8(base, std::min<std::size_t>(room - kRandomPart - 1, 64)) + "." +
               randomText(kRandomPart - 1);
    } else {
        name = randomText(std::max<std::size_t>(room, 1));
    }
    return fs::path(fs::path::string_type(folder) +
                    fs::path(std::u8string(name.begin(), name.end())).native());
}

Result<NativeHandle> createPrivate(const fs::path& near, fs::path& createdPath, Listing listing) {
    Result<NativeHandle> created = Failure::fromErrno(EEXIST);
    for (int attempt = 0; attempt < 100 && !created.ok(); ++attempt) {
        createdPath = stagingPathBeside(near);
        created = listing == Listing::Listed ? createAndList(createdPath)
                                             : platform::createExclusive(createdPath);
        if (!created.ok() && created.failure().number != EEXIST) {
            break;
        }
    }
    return created;
}

Result<Staged> createStaging(const Target& target, const platform::User& user, NativeHandle& handle,
                             fs::path& stagingPath) {
    Result<NativeHandle> created = createPrivate(target.path, stagingPath, Listing::Listed);
    if (!created.ok()) {
        return created.failure();
    }
    handle = created.value();
    if (target.exists) {
        Result<bool> given = platform::copyMetadata(target.path, target.info, user, handle);
        if (!given.ok() || !given.value()) {
            (void)platform::close(handle);
            (void)removeAndUnlist(stagingPath);
            handle = kNoHandle;
            return given.ok() ? Result<Staged>(Staged::OwnerRefused) : given.failure();
        }
    }
    stagingCreated(stagingPath);
    return Staged::Ready;
}

Result<void> settle(NativeHandle handle, const fs::path& stagingPath, const Target& target,
                    bool flushNow, bool renameLater, bool metadataGiven) {
    auto abandon = [&](const Failure& failure) -> Result<void> {
        if (handle != kNoHandle) {
            (void)platform::close(handle);
        }
        (void)removeAndUnlist(stagingPath);
        return failure;
    };
    // A new file was private until complete; now it is as any new file.
    if (!target.exists) {
        if (Result<void> given = platform::giveNewFileMode(handle); !given.ok()) {
            return abandon(given.failure());
        }
    } else if (!metadataGiven) {
        Result<bool> given =
            platform::copyMetadata(target.path, target.info, platform::currentUser(), handle);
        if (!given.ok() || !given.value()) {
            return abandon(given.ok() ? Failure::fromErrno(EPERM) : given.failure());
        }
    } else if (Result<void> kept = platform::restoreSetIdBits(handle, target.info); !kept.ok()) {
        return abandon(kept.failure()); // the content's writes cleared them
    }
    if (flushNow) {
        if (Result<void> flushed = platform::flush(handle); !flushed.ok()) {
            return abandon(flushed.failure());
        }
    }
    Result<void> closed = platform::close(handle);
    handle = kNoHandle;
    if (!closed.ok()) {
        return abandon(closed.failure());
    }
    if (renameLater) {
        return {};
    }
    if (Result<void> renamed = renameAndUnlist(stagingPath, target.path); !renamed.ok()) {
        return abandon(renamed.failure());
    }
    // The new file is in place either way; flushing the folder makes the
    // rename itself survive a crash.
    (void)platform::flushFolder(target.path.parent_path().empty() ? fs::path(".")
                                                                  : target.path.parent_path());
    return {};
}

Result<void> writeInPlace(const fs::path& target, std::string_view bytes) {
    Result<NativeHandle> opened = platform::openInPlace(target, fifoWritesWait());
    if (!opened.ok()) {
        return opened.failure();
    }
    Result<void> written = platform::writeAll(opened.value(), bytes);
    Result<void> closed = platform::close(opened.value());
    return written.ok() ? closed : written;
}

namespace {

std::function<void(const fs::path&)>& createdCall() {
    static std::function<void(const fs::path&)> call;
    return call;
}

// Copies size bytes from the start of one file to the start of another.
Result<void> copyContent(NativeHandle from, NativeHandle to, std::uint64_t size) {
    std::string buffer(std::size_t{1} << 16, '\0');
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - done));
        Result<std::size_t> got = readFullyAt(from, done, buffer.data(), want);
        if (!got.ok()) {
            return got.failure();
        }
        if (got.value() < want) {
            return Failure::fromErrno(EIO); // the file shrank under us
        }
        if (Result<void> put = platform::writeAt(to, done, std::string_view(buffer.data(), want));
            !put.ok()) {
            return put;
        }
        done += want;
    }
    return {};
}

// The folder for copies of files whose own folder takes no new file.
Result<fs::path> userCacheFolder() {
    const fs::path cache = userFolder("XDG_CACHE_HOME", ".cache");
    if (cache.empty()) {
        return Failure::fromErrno(ENOENT);
    }
    std::error_code error;
    fs::create_directories(cache / "vellum", error);
    if (error) {
        return Failure::fromErrno(error.default_error_condition().value());
    }
    return cache / "vellum";
}

} // namespace

Result<NativeHandle> createInUserCache(const fs::path& target, fs::path& createdPath,
                                       Listing listing) {
    Result<fs::path> cache = userCacheFolder();
    if (!cache.ok()) {
        return cache.failure();
    }
    return createPrivate(cache.value() / target.filename(), createdPath, listing);
}

namespace {

// A complete, flushed copy of the first size bytes of file, private to the
// user; its path in copyPath.
Result<void> keepCopy(const fs::path& target, NativeHandle file, std::uint64_t size, Backup backup,
                      fs::path& copyPath) {
    Result<NativeHandle> created = backup == Backup::InUserCache
                                       ? createInUserCache(target, copyPath, Listing::Kept)
                                       : createPrivate(target, copyPath, Listing::Kept);
    if (!created.ok()) {
        return created.failure();
    }
    Result<void> copied = copyContent(file, created.value(), size);
    if (copied.ok()) {
        copied = platform::flush(created.value());
    }
    const Result<void> closed = platform::close(created.value());
    if (copied.ok() && !closed.ok()) {
        copied = closed;
    }
    if (!copied.ok()) {
        (void)platform::remove(copyPath);
    }
    return copied;
}

// Puts bytes in place of the file's whole content and flushes it.
Result<void> overwrite(NativeHandle file, std::string_view bytes) {
    Result<void> done = platform::resize(file, 0);
    if (done.ok()) {
        done = platform::writeAt(file, 0, bytes);
    }
    if (done.ok()) {
        done = platform::flush(file);
    }
    return done;
}

// Puts the copy's content back into the file.
Result<void> restore(NativeHandle file, const fs::path& copyPath, std::uint64_t size) {
    Result<NativeHandle> copy = platform::openExisting(copyPath);
    if (!copy.ok()) {
        return copy.failure();
    }
    Result<void> done = platform::resize(file, 0);
    if (done.ok()) {
        done = copyContent(copy.value(), file, size);
    }
    if (done.ok()) {
        done = platform::flush(file);
    }
    (void)platform::close(copy.value());
    return done;
}

} // namespace

Result<void> writeIntoFile(const fs::path& target, std::string_view bytes, Backup backup,
                           bool* begun) {
    // A signal that would end the process waits until the file holds its old
    // or its new content again: no staging file stands in for it here.
    const SignalsHeld held;
    Result<NativeHandle> opened = platform::openExisting(target);
    if (!opened.ok()) {
        return opened.failure();
    }
    const NativeHandle file = opened.value();
    Result<FileInfo> info = platform::status(file);
    if (info.ok() && info.value().kind != FileKind::Regular) {
        info = notRegularFile(info.value().kind);
    }
    fs::path copyPath;
    Result<void> kept = info.ok() ? keepCopy(target, file, info.value().size, backup, copyPath)
                                  : Result<void>(info.failure());
    if (!kept.ok()) {
        (void)platform::close(file);
        return kept;
    }
    if (begun != nullptr) {
        *begun = true;
    }
    Result<void> written = overwrite(file, bytes);
    if (written.ok()) {
        // Only the file's owner may set the bits again; anyone else loses
        // them to the write, as with any program that writes the file.
        (void)platform::restoreSetIdBits(file, info.value());
    }
    if (!written.ok() && !restore(file, copyPath, info.value().size).ok()) {
        (void)platform::close(file);
        return Failure{written.failure().number, written.failure().text +
                                                     "; the old content is kept in " +
                                                     pathToUtf8(copyPath)};
    }
    const Result<void> closed = platform::close(file);
    (void)platform::remove(copyPath);
    return written.ok() ? closed : written;
}

bool folderRefused(const Failure& failure) {
    return failure.number == EACCES || failure.number == EROFS;
}

void onStagingCreated(std::function<void(const fs::path&)> call) {
    createdCall() = std::move(call);
}

void stagingCreated(const fs::path& stagingPath) {
    if (createdCall()) {
        createdCall()(stagingPath);
    }
}

} // namespace vellum::io::staging
