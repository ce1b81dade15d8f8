// The file primitives on Windows, through the wide Win32 API: paths are
// UTF-16 (std::filesystem::path holds them so), every file is binary, reads
// and writes at an offset go through OVERLAPPED positions, and a replacement
// keeps the replaced file's attributes and ACLs (ReplaceFileW). Failures carry
// the errno value closest to the Windows code, so that their texts come from
// std::generic_category() as on every other platform.

#include "io/Files.h"
#include "io/Platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

namespace vellum::io::platform {

namespace fs = std::filesystem;

namespace {

struct ErrorMapping {
    DWORD windows;
    int posix;
};

// The Windows codes a file operation meets, with the errno value that names
// the same condition. Anything else reads as EIO.
constexpr ErrorMapping kErrors[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_INVALID_NAME, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_CURRENT_DIRECTORY, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_TOO_LARGE, EFBIG},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
    {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
    {ERROR_BUSY, EBUSY},
    {ERROR_NOT_SUPPORTED, ENOTSUP},
    {ERROR_INVALID_FUNCTION, ENOTSUP},
};

int errnoFor(DWORD code) {
    for (const ErrorMapping& mapping : kErrors) {
        if (mapping.windows == code) {
            return mapping.posix;
        }
    }
    return EIO;
}

Failure lastFailure() {
    return Failure::fromErrno(errnoFor(GetLastError()));
}

bool isNotFound(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

HANDLE native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// kNoHandle is -1, which Windows also takes for the current process's own
// handle (CloseHandle on it succeeds): it must never reach a system call.
Failure noHandle() {
    return Failure::fromErrno(EBADF);
}

NativeHandle wrap(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Result<NativeHandle> open(const fs::path& path, DWORD access, DWORD disposition,
                          DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    const HANDLE handle =
        CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastFailure();
    }
    return wrap(handle);
}

// One ReadFile or WriteFile moves at most this many bytes.
constexpr std::size_t kChunk = 1U << 30;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

Result<std::size_t> readFile(NativeHandle handle, char* buffer, std::size_t size,
                             OVERLAPPED* position) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    DWORD done = 0;
    if (!ReadFile(native(handle), buffer, static_cast<DWORD>(std::min(size, kChunk)), &done,
                  position)) {
        const DWORD code = GetLastError();
        // The end of a file read at an offset, or of a pipe whose writer is gone.
        if (code == ERROR_HANDLE_EOF || code == ERROR_BROKEN_PIPE) {
            return std::size_t{0};
        }
        return Failure::fromErrno(errnoFor(code));
    }
    return static_cast<std::size_t>(done);
}

// Writes everything, at offset when one is given.
Result<void> writeFile(NativeHandle handle, const std::uint64_t* offset, std::string_view bytes) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    std::uint64_t written = 0;
    while (written < bytes.size()) {
        const std::size_t size = std::min<std::size_t>(bytes.size() - written, kChunk);
        OVERLAPPED position = at(offset != nullptr ? *offset + written : 0);
        DWORD done = 0;
        if (!WriteFile(native(handle), bytes.data() + written, static_cast<DWORD>(size), &done,
                       offset != nullptr ? &position : nullptr)) {
            return lastFailure();
        }
        if (done == 0) {
            return Failure::fromErrno(ENOSPC);
        }
        written += done;
    }
    return {};
}

bool hasAttribute(const fs::path& path, DWORD attribute) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

bool setReadOnly(const fs::path& path, bool readOnly) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD changed = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                   : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesW(path.c_str(), changed == 0 ? FILE_ATTRIBUTE_NORMAL : changed) != 0;
}

} // namespace

Result<FileInfo> status(NativeHandle handle) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    switch (GetFileType(native(handle))) {
    case FILE_TYPE_CHAR:
        return FileInfo{FileKind::CharDevice, 0};
    case FILE_TYPE_PIPE:
        return FileInfo{FileKind::Fifo, 0};
    case FILE_TYPE_DISK:
        break;
    default:
        if (GetLastError() != NO_ERROR) {
            return lastFailure();
        }
        return FileInfo{FileKind::Other, 0};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(native(handle), &info)) {
        return lastFailure();
    }
    const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    FileInfo file{FileKind::Folder, 0};
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        file = FileInfo{FileKind::Regular, join(info.nFileSizeHigh, info.nFileSizeLow),
                        info.nNumberOfLinks};
    }
    file.device = info.dwVolumeSerialNumber;
    file.file = join(info.nFileIndexHigh, info.nFileIndexLow);
    file.modified = static_cast<std::int64_t>(
        join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return file;
}

Result<FileInfo> status(const fs::path& path, bool followLinks) {
    if (!followLinks && hasAttribute(path, FILE_ATTRIBUTE_REPARSE_POINT)) {
        return FileInfo{FileKind::Link, 0};
    }
    // Asking through a handle also tells devices ("NUL", "CON") and pipes
    // apart, which the attributes alone do not.
    const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (isNotFound(code)) {
            return FileInfo{FileKind::Missing, 0};
        }
        // A file another program holds without sharing still shows its attributes.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (code == ERROR_SHARING_VIOLATION &&
            GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                return FileInfo{FileKind::Folder, 0};
            }
            return FileInfo{FileKind::Regular,
                            (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
        }
        return Failure::fromErrno(errnoFor(code));
    }
    Result<FileInfo> info = status(wrap(handle));
    CloseHandle(handle);
    return info;
}

Result<FileStamp> stamp(const fs::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (isNotFound(code)) {
            return FileStamp{};
        }
        return Failure::fromErrno(errnoFor(code));
    }
    // A device or pipe has no file information: its kind is all there is.
    Result<FileInfo> info = status(wrap(handle));
    CloseHandle(handle);
    if (!info.ok()) {
        return info.failure();
    }
    return stampOf(info.value());
}

Result<NativeHandle> openToRead(const fs::path& path) {
    return open(path, GENERIC_READ, OPEN_EXISTING);
}

// A new file takes its folder's ACL: there is no mode to make it private.
Result<NativeHandle> openForUpdate(const fs::path& path) {
    return open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS,
                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
}

Result<NativeHandle> openExisting(const fs::path& path) {
    return open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
}

Result<NativeHandle> createExclusive(const fs::path& path) {
    return open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
}

// Windows has no files without a name; new files are staged like the rest.
Result<NativeHandle> createUnnamed(const fs::path& /*folder*/) {
    return Failure::fromErrno(static_cast<int>(std::errc::not_supported));
}

Result<void> nameUnnamed(NativeHandle /*handle*/, const fs::path& /*target*/) {
    return Failure::fromErrno(static_cast<int>(std::errc::not_supported));
}

// Windows has no FIFOs in the file system, so there is no reader to wait for.
Result<NativeHandle> openInPlace(const fs::path& path, bool /*waitForReader*/) {
    return open(path, GENERIC_WRITE, OPEN_EXISTING);
}

Result<std::size_t> readAt(NativeHandle handle, std::uint64_t offset, char* buffer,
                           std::size_t size) {
    OVERLAPPED position = at(offset);
    return readFile(handle, buffer, size, &position);
}

Result<std::size_t> readSome(NativeHandle handle, char* buffer, std::size_t size) {
    return readFile(handle, buffer, size, nullptr);
}

Result<void> writeAt(NativeHandle handle, std::uint64_t offset, std::string_view bytes) {
    return writeFile(handle, &offset, bytes);
}

Result<void> writeAll(NativeHandle handle, std::string_view bytes) {
    return writeFile(handle, nullptr, bytes);
}

Result<void> resize(NativeHandle handle, std::uint64_t size) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(native(handle), FileEndOfFileInfo, &end, sizeof(end))) {
        return lastFailure();
    }
    return {};
}

Result<void> flush(NativeHandle handle) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    // A console or a pipe keeps nothing to make durable.
    if (GetFileType(native(handle)) != FILE_TYPE_DISK) {
        return {};
    }
    if (!FlushFileBuffers(native(handle))) {
        return lastFailure();
    }
    return {};
}

Result<void> close(NativeHandle handle) {
    if (handle == kNoHandle) {
        return noHandle();
    }
    if (!CloseHandle(native(handle))) {
        return lastFailure();
    }
    return {};
}

// Windows gives a new file its folder's ACL and owner; there is no user to compare.
User currentUser() {
    return {};
}

Result<bool> copyMetadata(const fs::path& target, const FileInfo& /*info*/, const User& /*user*/,
                          NativeHandle handle) {
    // ReplaceFileW carries the target's ACLs and owner over itself; the
    // attributes are copied here so that the fallback rename keeps them too. A
    // read-only file is never replaced (mayWrite).
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return lastFailure();
    }
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{};
    info.FileAttributes = (attributes & kKept) != 0 ? (attributes & kKept) : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(native(handle), FileBasicInfo, &info, sizeof(info))) {
        return lastFailure();
    }
    return true;
}

Result<void> restoreSetIdBits(NativeHandle /*handle*/, const FileInfo& /*info*/) {
    return {};
}

Result<void> giveNewFileMode(NativeHandle /*handle*/) {
    return {};
}

// The read-only attribute is what tells Windows users that a file may not be
// written; the ACL is left to the open or ReplaceFileW, which check it.
Result<void> mayWrite(const fs::path& path) {
    if (hasAttribute(path, FILE_ATTRIBUTE_READONLY)) {
        return Failure::fromErrno(EACCES);
    }
    return {};
}

// Windows has no file names for a process's own handles.
std::optional<NativeHandle> namedStream(std::string_view /*pathUtf8*/) {
    return std::nullopt;
}

std::vector<OpenStream> writableStandardStreams() {
    return {};
}

Result<void> replace(const fs::path& from, const fs::path& to) {
    bool replaced = ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr) != 0;
    // No file to replace yet, or a file system without ReplaceFileW: a plain
    // rename that reaches the disk before it returns.
    if (!replaced) {
        replaced = MoveFileExW(from.c_str(), to.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!replaced) {
        return lastFailure();
    }
    return {};
}

Result<void> flushFolder(const fs::path& /*folder*/) {
    // MOVEFILE_WRITE_THROUGH and ReplaceFileW have made the rename durable;
    // Windows offers no flush of a folder's entries.
    return {};
}

Result<void> flushFiles(const std::vector<fs::path>& files) {
    for (const fs::path& file : files) {
        Result<NativeHandle> handle = open(file, GENERIC_WRITE, OPEN_EXISTING);
        if (!handle.ok()) {
            return handle.failure();
        }
        const Result<void> flushed = flush(handle.value());
        const Result<void> closed = close(handle.value());
        if (!flushed.ok()) {
            return flushed;
        }
        if (!closed.ok()) {
            return closed;
        }
    }
    return {};
}

Result<void> remove(const fs::path& path) {
    if (hasAttribute(path, FILE_ATTRIBUTE_DIRECTORY) &&
        !hasAttribute(path, FILE_ATTRIBUTE_REPARSE_POINT)) {
        return Failure::fromErrno(EISDIR);
    }
    if (DeleteFileW(path.c_str())) {
        return {};
    }
    // Deleting a read-only file is a matter of its folder's rights, as on
    // POSIX systems; Windows wants the attribute cleared first.
    const Failure failure = lastFailure();
    if (hasAttribute(path, FILE_ATTRIBUTE_READONLY) && setReadOnly(path, false)) {
        if (DeleteFileW(path.c_str())) {
            return {};
        }
        setReadOnly(path, true);
    }
    return failure;
}

Result<fs::path> resolveLink(const fs::path& path) {
    if (!hasAttribute(path, FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    const HANDLE handle = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A link whose file is gone: written in place of the link.
        if (isNotFound(code)) {
            return path;
        }
        return Failure::fromErrno(errnoFor(code));
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(
        handle, target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    if (length >= target.size()) {
        target.resize(length);
        length = GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()),
                                           FILE_NAME_NORMALIZED);
    }
    CloseHandle(handle);
    if (length == 0) {
        return lastFailure();
    }
    target.resize(length);
    // "\\?\C:\..." names the same file as "C:\...".
    constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
    if (target.starts_with(kLongPrefix) && target.size() > 6 && target[5] == L':') {
        target.erase(0, kLongPrefix.size());
    }
    return fs::path(target);
}

bool heldInMemoryOnly(const fs::path& /*file*/) {
    return false; // a RAM disk driver says nothing that tells it from a disk
}

NameLimits nameLimits(const fs::path& /*folder*/) {
    // MAX_PATH less its terminating zero: the limit of paths without the
    // "\\?\" prefix, which the program does not add.
    return NameLimits{255, MAX_PATH - 1};
}

NativeHandle standardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
    return wrap(GetStdHandle(STD_INPUT_HANDLE));
}

NativeHandle standardOutput() {
    // Anything the C runtime writes to standard output from here on is
    // binary too: no LF becomes CR LF, no 0x1A ends anything.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
    return wrap(GetStdHandle(STD_OUTPUT_HANDLE));
}

void ignoreFileSizeSignal() {
    // Windows has no file-size signal; an over-large write fails by itself.
}

} // namespace vellum::io::platform

namespace vellum::io {

std::string fileNameOf(std::string_view pathUtf8) {
    // Drive letters and both separators: the library knows them best.
    return pathToUtf8(pathFromUtf8(pathUtf8).filename());
}

} // namespace vellum::io
