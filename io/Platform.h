#pragma once
// The few file primitives that differ between operating systems. PosixFiles.cpp
// implements them with POSIX calls, Win32Files.cpp with the wide Win32 API;
// everything else in io/ is portable C++ over these and std::filesystem.
//
// Every call reports a Failure with the system's error number (errno values;
// the Windows side maps its codes onto them) and never throws. Paths are
// std::filesystem::path, made from UTF-8 by pathFromUtf8 (Files.h). Calls that
// the system may interrupt are retried inside.

#include "core/Outcome.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace vellum::io {

// A file descriptor on POSIX, a HANDLE on Windows.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

enum class FileKind {
    Missing,
    Regular,
    Folder,
    Link,
    CharDevice,
    BlockDevice,
    Fifo,
    Socket,
    Other
};

struct FileInfo {
    FileKind kind = FileKind::Missing;
    std::uint64_t size = 0;  // bytes, for a regular file
    std::uint64_t links = 1; // names the file has (hard links), where the system says
    // Which file it is (device and file number, or volume and file index) and
    // when it was last written, as a FileStamp holds them; 0 where not known.
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::int64_t modified = 0;
    // Owner, group and permission bits where the system has them (POSIX).
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;
};

// What tells one state of a file from another without reading it: which file
// it is (device and file number, or volume and file index), its kind, size
// and modification time (nanoseconds on POSIX, 100-nanosecond ticks on
// Windows; only ever compared with another stamp of the same system). A file
// replaced by another one, written to or touched gets another stamp.
struct FileStamp {
    FileKind kind = FileKind::Missing;
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp that a look at a file found.
FileStamp stampOf(const FileInfo& info);

// The refusal of a folder, FIFO, socket or device where a regular file is
// needed: "not a regular file (a folder)" and so on; EISDIR for a folder,
// EINVAL otherwise. Portable; shared by both platforms.
Failure notRegularFile(FileKind kind);

// Reads size bytes at offset into buffer, in as many reads as it takes; fewer
// only where the file ends. Gives how many were read. Portable.
Result<std::size_t> readFullyAt(NativeHandle handle, std::uint64_t offset, char* buffer,
                                std::size_t size);

namespace platform {

// The kind and size of what stands at path. With followLinks false a symbolic
// link reports as Link. A path that names nothing is Missing, not a failure.
Result<FileInfo> status(const std::filesystem::path& path, bool followLinks);
Result<FileInfo> status(NativeHandle handle);
// The stamp of what stands at path, links followed; Missing when nothing does.
Result<FileStamp> stamp(const std::filesystem::path& path);

// Opens an existing file for reading in a way that never waits (a FIFO is
// opened non-blocking, a terminal never becomes the controlling one). It
// checks nothing: readers check the kind before opening and, through the
// handle, after.
Result<NativeHandle> openToRead(const std::filesystem::path& path);
// Opens a file for reading and writing at any offset, creating it (mode 0666
// less the umask) when it is missing. A symbolic link is not followed.
Result<NativeHandle> openForUpdate(const std::filesystem::path& path);
// Opens an existing file for reading and writing, neither creating nor
// truncating it.
Result<NativeHandle> openExisting(const std::filesystem::path& path);
// Creates a new file for writing, readable and writable by its owner alone
// (0600) until it is given other rights; EEXIST when anything stands at path.
Result<NativeHandle> createExclusive(const std::filesystem::path& path);
// A new file in folder that has no name yet: it appears, complete, only when
// nameUnnamed gives it one, and vanishes with its handle otherwise. Fails
// where the system or the file system has no such files (then stage instead).
Result<NativeHandle> createUnnamed(const std::filesystem::path& folder);
// Gives an unnamed file its name; EEXIST when something has that name by now.
Result<void> nameUnnamed(NativeHandle handle, const std::filesystem::path& target);
// Opens an existing file for writing, without creating or truncating it: a
// character device or FIFO written in place, a staging file to flush. A FIFO
// that no program reads from is waited for when waitForReader is set (as
// `cat > fifo` waits), else refused at once.
Result<NativeHandle> openInPlace(const std::filesystem::path& path, bool waitForReader);

// Reads up to size bytes at offset (positional) or at the current position
// (sequential); 0 at the end of the file.
Result<std::size_t> readAt(NativeHandle handle, std::uint64_t offset, char* buffer,
                           std::size_t size);
Result<std::size_t> readSome(NativeHandle handle, char* buffer, std::size_t size);
// Writes all bytes at offset, or at the current position.
Result<void> writeAt(NativeHandle handle, std::uint64_t offset, std::string_view bytes);
Result<void> writeAll(NativeHandle handle, std::string_view bytes);
// Cuts or extends the file to size bytes.
Result<void> resize(NativeHandle handle, std::uint64_t size);
// Makes the file's bytes durable (fsync, FlushFileBuffers).
Result<void> flush(NativeHandle handle);
// The handle is released even when closing reports a failure.
Result<void> close(NativeHandle handle);

// Who the process acts as when it makes files (effective user and group on
// POSIX). Asked once for a batch of files, never kept for the process: a
// program may change its user between batches.
struct User {
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
};
User currentUser();

// Gives the file behind handle the owner, group, mode, ACLs and extended
// attributes of the file at target, as info (a look at target, links
// followed) found them; user is who made the file. False, with nothing else
// given, when the system does not let the user give the owner or group (the
// file then stays private); a mode or attribute that cannot be set is a
// failure.
Result<bool> copyMetadata(const std::filesystem::path& target, const FileInfo& info,
                          const User& user, NativeHandle handle);
// Gives back the set-user-ID and set-group-ID bits of info's mode, which a
// write by a user without the privilege to keep them clears; nothing to do
// where the mode has neither or files have no such bits.
Result<void> restoreSetIdBits(NativeHandle handle, const FileInfo& info);
// Gives a file created private the mode a plain create would have given it
// (0666 less the umask); nothing to do where files have no such mode.
Result<void> giveNewFileMode(NativeHandle handle);
// Whether the user may open the existing file at path for writing, as the
// system judges an open (mode bits, ACLs, a read-only file system, an
// immutable file; the read-only attribute on Windows): the failure that such
// an open would report when not.
Result<void> mayWrite(const std::filesystem::path& path);
// The process's own open descriptor that a path (UTF-8) names by its number:
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N. Nothing for any other
// path, and where the system has no such names.
std::optional<NativeHandle> namedStream(std::string_view pathUtf8);
// Which files standard input, output and error are open on, those of them
// open for writing: a path that leads to one of these files is that stream.
// Empty where the system has no paths for them.
struct OpenStream {
    NativeHandle handle = kNoHandle;
    std::uint64_t device = 0;
    std::uint64_t file = 0;
};
std::vector<OpenStream> writableStandardStreams();
// Renames from over to, replacing to in one step.
Result<void> replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Makes a folder's entries durable (the rename into it); a no-op where the
// system has no such thing.
Result<void> flushFolder(const std::filesystem::path& folder);
// Makes the given files durable at once; where the system can flush a whole
// file system in one call it does that once per file system.
Result<void> flushFiles(const std::vector<std::filesystem::path>& files);
// Whether the folder of file (which need not exist yet) lies on a file system
// held in memory only (tmpfs, ramfs): nothing there outlives a crash, so
// nothing there needs flushing first.
bool heldInMemoryOnly(const std::filesystem::path& file);
// Deletes a file or a link itself; never a folder.
Result<void> remove(const std::filesystem::path& path);
// The file a symbolic link leads to, through any chain of links; a path that
// is no link comes back unchanged; a dangling link gives the path it names.
// ELOOP for a loop.
Result<std::filesystem::path> resolveLink(const std::filesystem::path& path);

// The longest file name in folder and the longest path the system takes.
struct NameLimits {
    std::size_t name = 255;
    std::size_t path = 4095;
};
NameLimits nameLimits(const std::filesystem::path& folder);

// The process's standard input and output, in binary mode.
NativeHandle standardInput();
NativeHandle standardOutput();

// Makes a write beyond the file-size limit fail with EFBIG instead of
// killing the process (SIGXFSZ); nothing to do where there is no such signal.
void ignoreFileSizeSignal();

} // namespace platform
} // namespace vellum::io
