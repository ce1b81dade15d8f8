#include "io/Staging.h"

#include "io/Files.h"
#include "io/StagingRegister.h"

#include <algorithm>
#include <cerrno>
#include <random>

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

Result<Target> targetFor(const fs::path& given) {
    if (given.empty()) {
        return Failure::fromErrno(ENOENT);
    }
    // What the path finally leads to decides; a device or FIFO is written
    // through the path as given (/dev/stdout leads to a pipe that has no name).
    // Most targets are no link, and one look without following settles them.
    Result<FileInfo> info = platform::status(given, false);
    const bool link = info.ok() && info.value().kind == FileKind::Link;
    if (link) {
        info = platform::status(given, true);
    }
    if (!info.ok()) {
        return info.failure();
    }
    Target target;
    target.path = given;
    switch (info.value().kind) {
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
        return notRegularFile(info.value().kind);
    }
    if (link) {
        Result<fs::path> resolved = platform::resolveLink(given);
        if (!resolved.ok()) {
            return resolved.failure();
        }
        target.path = resolved.value();
    }
    target.exists = info.value().kind == FileKind::Regular;
    return target;
}

fs::path stagingPathBeside(const fs::path& target) {
    const fs::path folder = target.parent_path();
    const platform::NameLimits limits = platform::nameLimits(folder);
    const std::size_t folderSize = folder.empty() ? 0 : folder.native().size() + 1;
    // Never longer than the target's own name where that is all the room there is.
    const std::size_t room =
        std::min(limits.name, limits.path > folderSize ? limits.path - folderSize : 1);
    std::string name;
    if (room >= kRandomPart + 2) {
        const std::string base(reinterpret_cast<const char*>(target.filename().u8string().c_str()));
        name = "." + cutUtf8(base, std::min<std::size_t>(room - kRandomPart - 1, 64)) + "." +
               randomText(kRandomPart - 1);
    } else {
        name = randomText(std::max<std::size_t>(room, 1));
    }
    const fs::path file(std::u8string(name.begin(), name.end()));
    return folder.empty() ? file : folder / file;
}

Result<NativeHandle> createStaging(const fs::path& target, fs::path& stagingPath) {
    Result<NativeHandle> created = Failure::fromErrno(EEXIST);
    for (int attempt = 0; attempt < 100 && !created.ok(); ++attempt) {
        stagingPath = stagingPathBeside(target);
        created = createAndList(stagingPath);
        if (!created.ok() && created.failure().number != EEXIST) {
            break;
        }
    }
    return created;
}

Result<void> settle(NativeHandle handle, const fs::path& stagingPath, const Target& target,
                    bool flushNow, bool renameLater) {
    auto abandon = [&](const Failure& failure) -> Result<void> {
        if (handle != kNoHandle) {
            (void)platform::close(handle);
        }
        (void)removeAndUnlist(stagingPath);
        return failure;
    };
    if (target.exists) {
        if (Result<void> copied = platform::copyMetadata(target.path, handle); !copied.ok()) {
            return abandon(copied.failure());
        }
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

} // namespace vellum::io::staging
