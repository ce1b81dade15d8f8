// The file primitives on POSIX systems (Linux first: extended attributes and
// syncfs are Linux calls).

#include "io/Files.h"
#include "io/Platform.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif
#include <sys/xattr.h>
#include <unistd.h>

namespace vellum::io::platform {

namespace {

Failure lastError() {
    return Failure::fromErrno(errno);
}

int fd(NativeHandle handle) {
    return static_cast<int>(handle);
}

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::Folder;
    }
    if (S_ISLNK(mode)) {
        return FileKind::Link;
    }
    if (S_ISCHR(mode)) {
        return FileKind::CharDevice;
    }
    if (S_ISBLK(mode)) {
        return FileKind::BlockDevice;
    }
    if (S_ISFIFO(mode)) {
        return FileKind::Fifo;
    }
    if (S_ISSOCK(mode)) {
        return FileKind::Socket;
    }
    return FileKind::Other;
}

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

FileInfo infoOf(const struct stat& st) {
    FileInfo info;
    info.kind = kindOf(st.st_mode);
    info.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    info.links = static_cast<std::uint64_t>(st.st_nlink);
    info.device = static_cast<std::uint64_t>(st.st_dev);
    info.file = static_cast<std::uint64_t>(st.st_ino);
    info.modified =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNanosPerSecond + st.st_mtim.tv_nsec;
    info.owner = st.st_uid;
    info.group = st.st_gid;
    info.mode = st.st_mode & 07777;
    return info;
}

// The process's file-mode creation mask, read without changing it where
// Linux tells it (umask() can only be read by setting it, which would race
// with another thread's create). It is read once: the program never sets it.
mode_t creationMask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Umask:", 0) == 0) {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            }
        }
        const mode_t old = ::umask(022);
        ::umask(old);
        return old;
    }();
    return mask;
}

// The descriptor that a name of the process's own descriptors gives:
// /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N and
// /proc/PID/fd/N with this process's PID; -1 for any other path.
int descriptorNamed(std::string_view path) {
    if (path.rfind("/dev/", 0) != 0 && path.rfind("/proc/", 0) != 0) {
        return -1;
    }
    static const std::pair<std::string_view, int> kStandard[] = {
        {"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
    for (const auto& [name, number] : kStandard) {
        if (path == name) {
            return number;
        }
    }
    // The number after prefix, when that is all the rest of path holds.
    const auto numberAfter = [path](std::string_view prefix) {
        const bool numbered =
            path.size() > prefix.size() && path.size() - prefix.size() <= 9 &&
            path.substr(0, prefix.size()) == prefix &&
            path.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos;
        return numbered ? std::stoi(std::string(path.substr(prefix.size()))) : -1;
    };
    if (path[1] == 'd') {
        return numberAfter("/dev/fd/");
    }
    // Only a path under /proc/ needs the PID (and a system call to learn it).
    const int self = numberAfter("/proc/self/fd/");
    return self >= 0 ? self : numberAfter("/proc/" + std::to_string(::getpid()) + "/fd/");
}

// Makes a system call again for as long as a signal interrupts it.
template <class Call> auto retryingInterrupted(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

Result<NativeHandle> openRetrying(const char* path, int flags, mode_t mode = 0) {
    const int result = retryingInterrupted([&] { return ::open(path, flags | O_CLOEXEC, mode); });
    if (result < 0) {
        return lastError();
    }
    return NativeHandle{result};
}

// pread and pwrite take a signed offset.
bool offsetFits(std::uint64_t offset, std::size_t size) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= kMax && size <= kMax - offset;
}

// Reads up to size bytes at *offset, or at the current position without one.
Result<std::size_t> readSomeAt(NativeHandle handle, const std::uint64_t* offset, char* buffer,
                               std::size_t size) {
    if (offset != nullptr && !offsetFits(*offset, size)) {
        return Failure::fromErrno(EFBIG);
    }
    const ssize_t n = retryingInterrupted([&] {
        return offset != nullptr ? ::pread(fd(handle), buffer, size, static_cast<off_t>(*offset))
                                 : ::read(fd(handle), buffer, size);
    });
    if (n < 0) {
        return lastError();
    }
    return static_cast<std::size_t>(n);
}

// Writes all bytes at *offset, or at the current position without one.
Result<void> writeEveryByte(NativeHandle handle, const std::uint64_t* offset,
                            std::string_view bytes) {
    if (offset != nullptr && !offsetFits(*offset, bytes.size())) {
        return Failure::fromErrno(EFBIG);
    }
    // The string writer's empty write at an offset must still find its file.
    if (offset != nullptr && bytes.empty() && ::fcntl(fd(handle), F_GETFD) < 0) {
        return lastError();
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const char* from = bytes.data() + done;
        const std::size_t left = bytes.size() - done;
        const ssize_t n = retryingInterrupted([&] {
            return offset != nullptr
                       ? ::pwrite(fd(handle), from, left, static_cast<off_t>(*offset + done))
                       : ::write(fd(handle), from, left);
        });
        if (n < 0) {
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// Copies every extended attribute of the file at target (ACLs are the
// system.posix_acl_* attributes) onto the handle. A file system without
// attributes has none to copy.
Result<void> copyAttributes(const std::filesystem::path& target, int to) {
    // Most files have no attributes or a few short ones: one call with room
    // for them, and a second only to learn how much room a long list needs.
    std::string names(1024, '\0');
    for (;;) {
        const ssize_t got = ::listxattr(target.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {
            return errno == ENOTSUP ? Result<void>{} : lastError();
        }
        const ssize_t needed = ::listxattr(target.c_str(), nullptr, 0);
        if (needed < 0) {
            return errno == ENOTSUP ? Result<void>{} : lastError();
        }
        names.assign(static_cast<std::size_t>(needed), '\0');
    }
    for (std::size_t start = 0; start < names.size();) {
        const std::string name = names.c_str() + start;
        start += name.size() + 1;
        const ssize_t valueSize = ::getxattr(target.c_str(), name.c_str(), nullptr, 0);
        if (valueSize < 0) {
            return lastError();
        }
        std::string value(static_cast<std::size_t>(valueSize), '\0');
        const ssize_t read = ::getxattr(target.c_str(), name.c_str(), value.data(), value.size());
        if (read < 0) {
            return lastError();
        }
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(read), 0) != 0) {
            // Attributes the user may read but not set (security.* as a
            // plain user) stay behind; everything else must be kept.
            if (errno == EPERM && name.rfind("security.", 0) == 0) {
                continue;
            }
            return lastError();
        }
    }
    return {};
}

} // namespace

Result<FileInfo> status(const std::filesystem::path& path, bool followLinks) {
    struct stat st {};
    const int rc = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (rc != 0) {
        if (errno == ENOENT) {
            return FileInfo{};
        }
        return lastError();
    }
    return infoOf(st);
}

Result<FileInfo> status(NativeHandle handle) {
    struct stat st {};
    if (::fstat(fd(handle), &st) != 0) {
        return lastError();
    }
    return infoOf(st);
}

Result<FileStamp> stamp(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return FileStamp{};
        }
        return lastError();
    }
    FileStamp stamped = stampOf(infoOf(st));
    stamped.size =
        static_cast<std::uint64_t>(st.st_size); // of any kind of file, not only a regular one
    return stamped;
}

Result<NativeHandle> openToRead(const std::filesystem::path& path) {
    return openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
}

Result<NativeHandle> openForUpdate(const std::filesystem::path& path) {
    return openRetrying(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0666);
}

Result<NativeHandle> openExisting(const std::filesystem::path& path) {
    return openRetrying(path.c_str(), O_RDWR | O_NOCTTY);
}

Result<NativeHandle> createExclusive(const std::filesystem::path& path) {
    return openRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
}

Result<NativeHandle> createUnnamed(const std::filesystem::path& folder) {
    return openRetrying(folder.empty() ? "." : folder.c_str(), O_WRONLY | O_TMPFILE, 0666);
}

Result<void> nameUnnamed(NativeHandle handle, const std::filesystem::path& target) {
    // The descriptor itself is named where the kernel allows it (Linux 6.10
    // on; before, only with a privilege). Otherwise its entry in /proc is,
    // which needs none but costs a lookup through /proc for every file.
    static std::atomic<bool> descriptorNamesWork{true};
    const bool tried = descriptorNamesWork;
    if (tried) {
        if (::linkat(fd(handle), "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0) {
            return {};
        }
        if (errno != ENOENT && errno != EPERM) {
            return lastError(); // the name is taken, say
        }
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd(handle));
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return lastError();
    }
    if (tried) {
        descriptorNamesWork = false; // the refusal was the kernel's, not the folder's
    }
    return {};
}

Result<NativeHandle> openInPlace(const std::filesystem::path& path, bool waitForReader) {
    if (waitForReader) {
        return openRetrying(path.c_str(), O_WRONLY | O_NOCTTY);
    }
    // Opened non-blocking, a FIFO without a reader fails with ENXIO instead of
    // waiting; once open, the writes block again as usual.
    Result<NativeHandle> opened = openRetrying(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (!opened.ok()) {
        if (opened.failure().number == ENXIO) {
            return Failure{ENXIO, "no program is reading from this FIFO"};
        }
        return opened;
    }
    const int flags = ::fcntl(fd(opened.value()), F_GETFL);
    if (flags < 0 || ::fcntl(fd(opened.value()), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const Failure failure = Failure::fromErrno(errno);
        ::close(fd(opened.value()));
        return failure;
    }
    return opened;
}

Result<std::size_t> readAt(NativeHandle handle, std::uint64_t offset, char* buffer,
                           std::size_t size) {
    return readSomeAt(handle, &offset, buffer, size);
}

Result<std::size_t> readSome(NativeHandle handle, char* buffer, std::size_t size) {
    return readSomeAt(handle, nullptr, buffer, size);
}

Result<void> writeAt(NativeHandle handle, std::uint64_t offset, std::string_view bytes) {
    return writeEveryByte(handle, &offset, bytes);
}

Result<void> writeAll(NativeHandle handle, std::string_view bytes) {
    return writeEveryByte(handle, nullptr, bytes);
}

Result<void> resize(NativeHandle handle, std::uint64_t size) {
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return Failure::fromErrno(EFBIG);
    }
    if (retryingInterrupted([&] { return ::ftruncate(fd(handle), static_cast<off_t>(size)); }) !=
        0) {
        return lastError();
    }
    return {};
}

Result<void> flush(NativeHandle handle) {
    if (::fsync(fd(handle)) != 0) {
        return lastError();
    }
    return {};
}

Result<void> close(NativeHandle handle) {
    // Linux releases the descriptor even when close fails, so never retry.
    if (::close(fd(handle)) != 0) {
        return lastError();
    }
    return {};
}

User currentUser() {
    return {static_cast<std::uint32_t>(::geteuid()), static_cast<std::uint32_t>(::getegid())};
}

Result<bool> copyMetadata(const std::filesystem::path& target, const FileInfo& info,
                          const User& user, NativeHandle handle) {
    // Owner first: a change of owner may clear the set-id bits that fchmod sets.
    if ((info.owner != user.owner || info.group != user.group) &&
        ::fchown(fd(handle), static_cast<uid_t>(info.owner), static_cast<gid_t>(info.group)) != 0) {
        if (errno == EPERM) {
            return false;
        }
        return lastError();
    }
    if (::fchmod(fd(handle), static_cast<mode_t>(info.mode & 07777)) != 0) {
        return lastError();
    }
    if (Result<void> copied = copyAttributes(target, fd(handle)); !copied.ok()) {
        return copied.failure();
    }
    return true;
}

Result<void> restoreSetIdBits(NativeHandle handle, const FileInfo& info) {
    if ((info.mode & (S_ISUID | S_ISGID)) == 0) {
        return {};
    }
    if (::fchmod(fd(handle), static_cast<mode_t>(info.mode & 07777)) != 0) {
        return lastError();
    }
    return {};
}

Result<void> giveNewFileMode(NativeHandle handle) {
    if (::fchmod(fd(handle), 0666 & ~creationMask()) != 0) {
        return lastError();
    }
    return {};
}

Result<void> mayWrite(const std::filesystem::path& path) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return lastError();
    }
    return {};
}

std::optional<NativeHandle> namedStream(std::string_view pathUtf8) {
    const int named = descriptorNamed(pathUtf8);
    if (named < 0 || ::fcntl(named, F_GETFD) < 0) {
        return std::nullopt; // no such name, or not open: the path names nothing
    }
    return NativeHandle{named};
}

std::vector<OpenStream> writableStandardStreams() {
    std::vector<OpenStream> streams;
    for (int standard = 0; standard <= 2; ++standard) {
        struct stat open {};
        if (::fstat(standard, &open) == 0 && (::fcntl(standard, F_GETFL) & O_ACCMODE) != O_RDONLY) {
            streams.push_back({NativeHandle{standard}, static_cast<std::uint64_t>(open.st_dev),
                               static_cast<std::uint64_t>(open.st_ino)});
        }
    }
    return streams;
}

Result<void> replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return lastError();
    }
    return {};
}

Result<void> flushFolder(const std::filesystem::path& folder) {
    Result<NativeHandle> opened = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (!opened.ok()) {
        return opened.failure();
    }
    Result<void> flushed = flush(opened.value());
    ::close(fd(opened.value()));
    return flushed;
}

Result<void> flushFiles(const std::vector<std::filesystem::path>& files) {
    std::set<dev_t> flushed;
    // A batch writes into a folder or a few: a file's folder tells its file
    // system, so one look a folder is enough.
    std::set<std::filesystem::path> folders;
    for (const std::filesystem::path& file : files) {
        if (!folders.insert(file.parent_path()).second) {
            continue;
        }
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) {
            return lastError();
        }
        if (!flushed.insert(st.st_dev).second) {
            continue;
        }
        Result<NativeHandle> opened = openRetrying(file.c_str(), O_RDONLY | O_NOFOLLOW);
        if (!opened.ok()) {
            return opened.failure();
        }
        const int rc = ::syncfs(fd(opened.value()));
        const int error = errno;
        ::close(fd(opened.value()));
        if (rc != 0) {
            return Failure::fromErrno(error);
        }
    }
    return {};
}

bool heldInMemoryOnly(const std::filesystem::path& file) {
#ifdef __linux__
    constexpr decltype(statfs::f_type) kTmpfs = 0x01021994;
    constexpr decltype(statfs::f_type) kRamfs = static_cast<decltype(statfs::f_type)>(0x858458f6);
    // A batch writes into one folder or a few: ask once per folder, known by
    // its spelling, which costs no parsing of the path.
    const std::string_view folder = spelledFolderOf(file);
    thread_local std::string lastFolder;
    thread_local int lastAnswer = -1;
    if (lastAnswer < 0 || folder != lastFolder) {
        struct statfs system {};
        lastFolder = folder;
        lastAnswer = ::statfs(folder.empty() ? "." : lastFolder.c_str(), &system) == 0 &&
                     (system.f_type == kTmpfs || system.f_type == kRamfs);
    }
    return lastAnswer == 1;
#else
    (void)file;
    return false;
#endif
}

Result<void> remove(const std::filesystem::path& path) {
    // unlink, not remove(3): a folder is never taken away.
    if (::unlink(path.c_str()) != 0) {
        return lastError();
    }
    return {};
}

Result<std::filesystem::path> resolveLink(const std::filesystem::path& path) {
    std::filesystem::path current = path;
    // The kernel's own limit on links followed in one lookup.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) {
            return lastError();
        }
        target.resize(static_cast<std::size_t>(n));
        const std::filesystem::path next(target);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return Failure::fromErrno(ELOOP);
}

NameLimits nameLimits(const std::filesystem::path& folder) {
    const long name = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    NameLimits limits;
    if (name > 0) {
        limits.name = static_cast<std::size_t>(name);
    }
    limits.path = PATH_MAX - 1; // PATH_MAX counts the terminating zero
    return limits;
}

NativeHandle standardInput() {
    return STDIN_FILENO;
}

NativeHandle standardOutput() {
    return STDOUT_FILENO;
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace vellum::io::platform

namespace vellum::io {

std::string fileNameOf(std::string_view pathUtf8) {
    const std::size_t slash = pathUtf8.rfind('/');
    return std::string(slash == std::string_view::npos ? pathUtf8 : pathUtf8.substr(slash + 1));
}

} // namespace vellum::io
