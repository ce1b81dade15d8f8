#include "io/Files.h"

#include "core/Utf8.h"
#include "io/Staging.h"
#include "io/StagingRegister.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <set>
#include <type_traits>

namespace vellum::io {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 1 << 16;

Failure tooLarge(std::uint64_t size, std::uint64_t maxBytes) {
    return {EFBIG, std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
                       " bytes that can be read"};
}

// Reads from handle until the end, failing once more than maxBytes come.
// regularSize is the size a regular file had when opened (0 for a stream or
// when unknown): a short read that completes it is the end of the file, so
// the read that would only confirm the end is saved.
Result<std::string> readToEnd(NativeHandle handle, std::uint64_t maxBytes,
                              std::uint64_t regularSize) {
    // Read straight into the string: room for the size the file had (and a
    // byte more, to see a file that grew), then a chunk more at a time. One
    // byte past maxBytes tells a file that is too large.
    const std::uint64_t bound = maxBytes == UINT64_MAX ? maxBytes : maxBytes + 1;
    std::string bytes;
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            const std::uint64_t room =
                used == 0 && regularSize > 0 ? regularSize + 1 : used + kChunk;
            bytes.resize(static_cast<std::size_t>(std::min(room, bound)));
        }
        Result<std::size_t> got =
            platform::readSome(handle, bytes.data() + used, bytes.size() - used);
        if (!got.ok()) {
            return got.failure();
        }
        used += got.value();
        if (used > maxBytes) {
            return tooLarge(used, maxBytes);
        }
        // A size of 0 says nothing: files under /proc read short and still go on.
        const bool complete = regularSize > 0 && used >= regularSize && used < bytes.size();
        if (got.value() == 0 || complete) {
            bytes.resize(used);
            return bytes;
        }
    }
}

// Opens a regular file for reading, and nothing else: the kind is checked
// before opening, so no device is ever opened, and again through the handle,
// in case something else took the file's place meanwhile. info receives what
// the handle's check found (its size, above all).
Result<NativeHandle> openRegularFile(const fs::path& path, FileInfo& info) {
    Result<FileInfo> before = platform::status(path, true);
    if (!before.ok()) {
        return before.failure();
    }
    if (before.value().kind == FileKind::Missing) {
        return Failure::fromErrno(ENOENT);
    }
    if (before.value().kind != FileKind::Regular) {
        return notRegularFile(before.value().kind);
    }
    Result<NativeHandle> opened = platform::openToRead(path);
    if (!opened.ok()) {
        return opened;
    }
    Result<FileInfo> after = platform::status(opened.value());
    if (!after.ok() || after.value().kind != FileKind::Regular) {
        (void)platform::close(opened.value());
        return after.ok() ? notRegularFile(after.value().kind) : after.failure();
    }
    info = after.value();
    return opened;
}

// Opens a regular file for reading, calls read with the handle and what its
// check found, and closes it.
template <class Read> Result<std::string> withOpenFile(std::string_view pathUtf8, Read read) {
    FileInfo info;
    Result<NativeHandle> opened = openRegularFile(pathFromUtf8(pathUtf8), info);
    if (!opened.ok()) {
        return opened.failure();
    }
    Result<std::string> bytes = read(opened.value(), info);
    (void)platform::close(opened.value()); // nothing was written: a close failure loses nothing
    return bytes;
}

} // namespace

FileStamp stampOf(const FileInfo& info) {
    return {info.kind, info.device, info.file, info.size, info.modified};
}

Failure notRegularFile(FileKind kind) {
    const char* what = "a special file";
    switch (kind) {
    case FileKind::Folder:
        return {EISDIR, "not a regular file (a folder)"};
    case FileKind::CharDevice:
    case FileKind::BlockDevice:
        what = "a device";
        break;
    case FileKind::Fifo:
        what = "a FIFO";
        break;
    case FileKind::Socket:
        what = "a socket";
        break;
    default:
        break;
    }
    return {EINVAL, std::string("not a regular file (") + what + ")"};
}

Result<std::size_t> readFullyAt(NativeHandle handle, std::uint64_t offset, char* buffer,
                                std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        Result<std::size_t> got =
            platform::readAt(handle, offset + done, buffer + done, size - done);
        if (!got.ok()) {
            return got.failure();
        }
        if (got.value() == 0) {
            break; // the end of the file
        }
        done += got.value();
    }
    return done;
}

fs::path pathFromUtf8(std::string_view utf8) {
    if constexpr (std::is_same_v<fs::path::value_type, char>) {
        // POSIX takes the bytes as they are: a name need not be UTF-8 there.
        return fs::path(std::string(utf8));
    }
    try {
        return fs::path(std::u8string(utf8.begin(), utf8.end()));
    } catch (const fs::filesystem_error&) {
        // Windows converts to UTF-16 and refuses a byte that is no UTF-8 (an
        // argument in the ANSI code page, say). Each such byte becomes U+FFFD:
        // no file has that name, so the caller's open says so.
        std::u8string text;
        for (std::size_t at = 0; at < utf8.size();) {
            const utf8::Sequence sequence = utf8::sequenceAt(utf8, at);
            if (sequence.valid) {
                text.append(utf8.begin() + at, utf8.begin() + at + sequence.length);
            } else {
                text += u8"\uFFFD";
            }
            at += sequence.length;
        }
        return fs::path(text);
    }
}

std::string pathToUtf8(const fs::path& path) {
    if constexpr (std::is_same_v<fs::path::value_type, char>) {
        return path.string(); // the bytes as they stand
    }
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::basic_string_view<fs::path::value_type> spelledFolderOf(const fs::path& path) {
    const fs::path::string_type& whole = path.native();
    return {whole.data(), whole.size() - path.filename().native().size()};
}

Result<std::string> followLinks(std::string_view pathUtf8) {
    Result<fs::path> resolved = platform::resolveLink(pathFromUtf8(pathUtf8));
    if (!resolved.ok()) {
        return resolved.failure();
    }
    return pathToUtf8(resolved.value());
}

bool sameFile(std::string_view aUtf8, std::string_view bUtf8) {
    std::error_code error;
    return fs::equivalent(pathFromUtf8(aUtf8), pathFromUtf8(bUtf8), error) && !error;
}

fs::path resolvedPath(const fs::path& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal() : resolved;
}

bool isMissing(const Failure& failure) {
    return failure.number == ENOENT;
}

Result<FileInfo> fileInfo(std::string_view pathUtf8) {
    if (pathUtf8.empty()) {
        return Failure::fromErrno(ENOENT);
    }
    return platform::status(pathFromUtf8(pathUtf8), true);
}

Result<FileStamp> fileStamp(std::string_view pathUtf8) {
    if (pathUtf8.empty()) {
        return FileStamp{};
    }
    return platform::stamp(pathFromUtf8(pathUtf8));
}

Result<Standing> lookAt(std::string_view pathUtf8) {
    return staging::standingAt(pathFromUtf8(pathUtf8));
}

Result<std::string> readFile(std::string_view pathUtf8, std::uint64_t maxBytes, FileStamp* stamp) {
    return withOpenFile(pathUtf8, [&](NativeHandle handle, const FileInfo& info) {
        if (info.size > maxBytes) {
            return Result<std::string>(tooLarge(info.size, maxBytes));
        }
        if (stamp != nullptr) {
            *stamp = stampOf(info);
        }
        return readToEnd(handle, maxBytes, info.size);
    });
}

Result<std::string> readPrefix(std::string_view pathUtf8, std::size_t count) {
    return withOpenFile(pathUtf8, [&](NativeHandle handle, const FileInfo& info) {
        std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(info.size, count)),
                          '\0');
        const Result<std::size_t> read = readFullyAt(handle, 0, bytes.data(), bytes.size());
        if (!read.ok()) {
            return Result<std::string>(read.failure());
        }
        bytes.resize(read.value()); // shorter when the file shrank meanwhile
        return Result<std::string>(std::move(bytes));
    });
}

Result<std::string> readStandardInput(std::uint64_t maxBytes) {
    return readToEnd(platform::standardInput(), maxBytes, 0);
}

namespace {

// A batch's new file is written without a name and named once complete: it
// has no old file to keep, so it needs neither a staging name nor a rename.
// Nothing when the system cannot, or when the name has been taken meanwhile
// (the caller then stages as for any other file); a failure when writing fails.
std::optional<Result<void>> writeNewFile(const fs::path& target, std::string_view bytes) {
    Result<NativeHandle> created = platform::createUnnamed(target.parent_path());
    if (!created.ok()) {
        return std::nullopt;
    }
    // A failed write leaves nothing behind: the file vanishes with its handle.
    const Result<void> written = platform::writeAll(created.value(), bytes);
    const bool named = written.ok() && platform::nameUnnamed(created.value(), target).ok();
    const Result<void> closed = platform::close(created.value());
    if (!written.ok()) {
        return written;
    }
    if (!named) {
        return std::nullopt; // taken meanwhile, or no way to name it: staged instead
    }
    return closed;
}

// Writes bytes into a device or FIFO at once, or into a new staging file that
// settle then finishes (now, or with renameLater only up to the rename). A
// file that a rename would split from its links or give another owner, or
// whose folder takes no staging file, is written into itself at once.
Result<void> stage(std::string_view pathUtf8, std::string_view bytes, bool batch,
                   const platform::User& user, const std::optional<Standing>& standing,
                   fs::path& stagingPath, fs::path& targetPath, bool& replacing) {
    Result<staging::Target> target = staging::targetFor(pathFromUtf8(pathUtf8), standing);
    if (!target.ok()) {
        return target.failure();
    }
    if (target.value().way == staging::Target::Way::InPlace) {
        return staging::writeInPlace(target.value().path, bytes);
    }
    targetPath = target.value().path;
    replacing = target.value().exists;
    if (target.value().linked) {
        return staging::writeIntoFile(targetPath, bytes, staging::Backup::Beside);
    }
    if (batch && !replacing) {
        if (std::optional<Result<void>> written = writeNewFile(targetPath, bytes)) {
            return *written;
        }
    }
    NativeHandle handle = kNoHandle;
    Result<staging::Staged> created =
        staging::createStaging(target.value(), user, handle, stagingPath);
    if (!created.ok()) {
        if (replacing && staging::folderRefused(created.failure())) {
            stagingPath.clear();
            bool begun = false;
            const Result<void> written =
                staging::writeIntoFile(targetPath, bytes, staging::Backup::InUserCache, &begun);
            // Without a place for the copy, the folder's refusal is the reason.
            return begun ? written : created.failure();
        }
        return created.failure();
    }
    if (created.value() == staging::Staged::OwnerRefused) {
        stagingPath.clear();
        return staging::writeIntoFile(targetPath, bytes, staging::Backup::Beside);
    }
    if (Result<void> written = platform::writeAll(handle, bytes); !written.ok()) {
        (void)platform::close(handle);
        (void)staging::removeAndUnlist(stagingPath);
        return written;
    }
    return staging::settle(handle, stagingPath, target.value(), !batch, batch);
}

// The program's own stream at path, where standing is what a look at path gave.
std::optional<NativeHandle> streamLookedAt(std::string_view pathUtf8,
                                           const Result<Standing>& standing) {
    return OwnStreams().at(pathUtf8, standing.ok() ? standing.value().info : FileInfo{});
}

} // namespace

Result<void> replaceFile(std::string_view pathUtf8, std::string_view bytes) {
    // One look tells a stream from a file and serves the staging.
    const Result<Standing> standing = lookAt(pathUtf8);
    if (const std::optional<NativeHandle> stream = streamLookedAt(pathUtf8, standing)) {
        return writeStream(*stream, bytes);
    }
    fs::path stagingPath;
    fs::path targetPath;
    bool replacing = false;
    return stage(pathUtf8, bytes, false, platform::currentUser(),
                 standing.ok() ? std::optional<Standing>(standing.value()) : std::nullopt,
                 stagingPath, targetPath, replacing);
}

ReplaceBatch::~ReplaceBatch() {
    for (const Staged& one : staged_) {
        (void)staging::removeAndUnlist(one.staging);
    }
}

Result<void> ReplaceBatch::add(std::string_view pathUtf8, std::string_view bytes,
                               const std::optional<Standing>& standing,
                               std::optional<std::size_t> order) {
    Staged one;
    Result<void> staged =
        stage(pathUtf8, bytes, true, user_, standing, one.staging, one.target, one.replacing);
    if (!staged.ok() || one.staging.empty()) {
        return staged; // failed, or written without a staging file
    }
    if (platform::heldInMemoryOnly(one.target)) {
        // Nothing there waits for a flush: in place at once, which spares
        // finish a pass over every file.
        Result<void> renamed = staging::renameAndUnlist(one.staging, one.target);
        if (!renamed.ok()) {
            (void)staging::removeAndUnlist(one.staging);
        }
        return renamed;
    }
    one.targetUtf8 = std::string(pathUtf8);
    const std::lock_guard guard(lock_);
    one.order = order.value_or(staged_.size());
    staged_.push_back(std::move(one));
    return staged;
}

Result<bool> ReplaceBatch::addNew(std::string_view pathUtf8, std::string_view bytes) {
    std::optional<Result<void>> written = writeNewFile(pathFromUtf8(pathUtf8), bytes);
    if (!written) {
        return false;
    }
    if (!written->ok()) {
        return written->failure();
    }
    return true;
}

std::vector<ReplaceBatch::Outcome> ReplaceBatch::finish() {
    std::vector<Staged> staged;
    {
        const std::lock_guard guard(lock_);
        staged = std::move(staged_);
        staged_.clear();
    }
    std::stable_sort(staged.begin(), staged.end(),
                     [](const Staged& a, const Staged& b) { return a.order < b.order; });
    // Only a file that replaces another must reach the disk before the
    // rename: a crash then leaves the old file or the new one, never an empty
    // one. A new file has nothing to lose and is not flushed (as cp does not).
    std::vector<fs::path> files;
    for (const Staged& one : staged) {
        if (one.replacing) {
            files.push_back(one.staging);
        }
    }
    const Result<void> flushed = files.empty() ? Result<void>{} : platform::flushFiles(files);
    std::vector<Outcome> outcomes;
    std::set<fs::path> folders;
    for (const Staged& one : staged) {
        Result<void> result =
            flushed.ok() ? staging::renameAndUnlist(one.staging, one.target) : flushed;
        if (!result.ok()) {
            (void)staging::removeAndUnlist(one.staging);
        } else if (one.replacing) {
            folders.insert(one.target.parent_path().empty() ? fs::path(".")
                                                            : one.target.parent_path());
        }
        outcomes.push_back({one.targetUtf8, std::move(result)});
    }
    for (const fs::path& folder : folders) {
        (void)platform::flushFolder(folder);
    }
    return outcomes;
}

Result<void> writeStandardOutput(std::string_view bytes) {
    return writeStream(platform::standardOutput(), bytes);
}

OwnStreams::OwnStreams() : writable_(platform::writableStandardStreams()) {}

std::optional<NativeHandle> OwnStreams::at(std::string_view pathUtf8,
                                           const FileInfo& standing) const {
    if (pathUtf8.empty()) {
        return std::nullopt;
    }
    if (std::optional<NativeHandle> named = platform::namedStream(pathUtf8)) {
        return named;
    }
    if (standing.kind == FileKind::Missing) {
        return std::nullopt;
    }
    for (const platform::OpenStream& stream : writable_) {
        if (stream.device == standing.device && stream.file == standing.file) {
            return stream.handle;
        }
    }
    return std::nullopt;
}

std::optional<NativeHandle> streamAt(std::string_view pathUtf8) {
    if (pathUtf8.empty()) {
        return std::nullopt;
    }
    return streamLookedAt(pathUtf8, lookAt(pathUtf8));
}

Result<void> writeStream(NativeHandle stream, std::string_view bytes) {
    return platform::writeAll(stream, bytes);
}

void ignoreFileSizeSignal() {
    platform::ignoreFileSizeSignal();
}

namespace {
std::atomic<bool> fifoWritesWaitForReader{true};
} // namespace

void setFifoWritesWait(bool wait) {
    fifoWritesWaitForReader = wait;
}

bool fifoWritesWait() {
    return fifoWritesWaitForReader;
}

} // namespace vellum::io
