#include "formats/TextDocument.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vellum {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string systemReason(int error) {
    return std::system_category().message(error);
}

FileResult failure(int error) {
    FileResult result;
    result.reason = systemReason(error);
    result.missing = error == ENOENT;
    return result;
}

FileResult success() {
    FileResult result;
    result.ok = true;
    return result;
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Closes a descriptor on every way out of a scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and reports the error close gives (it may be a delayed write error).
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A path to write through: a symbolic link stands for the file it names.
std::string resolveLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return path; // a dangling link is replaced like a file
    }
    return resolved;
}

// Creates a new file next to the target, with a name nobody else uses.
int createTemporary(const std::string& target, std::string& tempPath) {
    static std::mt19937_64 random(static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
    // Part of the target's name, short enough that the temporary name always
    // fits where the target's does.
    const std::string prefix = folderOf(target) + "/." + baseNameOf(target).substr(0, 200) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix + std::to_string(random() % 1000000000) + ".tmp";
        // 0666 as any new file: the user's umask applies.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Calls onLine with every line of the bytes, without its terminator: a line
// ends at CR LF or at a lone CR; the last may end at the end of the bytes.
template <typename OnLine> void forEachLine(std::string_view bytes, OnLine onLine) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            continue;
        }
        onLine(bytes.substr(start, i - start));
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        onLine(bytes.substr(start));
    }
}

} // namespace

bool isVellumPath(std::string_view path) {
    if (path.size() < 3) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - 3);
    return upper(tail[0]) == 'V' && upper(tail[1]) == 'L' && upper(tail[2]) == 'M';
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    forEachLine(bytes, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

std::optional<TextDocumentContent> parseTextDocument(std::string_view bytes, bool vellum) {
    TextDocumentContent content;
    // At most one CR LF more than the file holds: the last line's.
    content.text.reserve(bytes.size() + kCrLf.size());
    bool first = vellum;
    forEachLine(bytes, [&](std::string_view line) {
        if (first) {
            content.name = Bytes(line);
            first = false;
            return;
        }
        content.text += line;
        content.text += kCrLf;
    });
    if (vellum && !content.name) {
        return std::nullopt;
    }
    return content;
}

Bytes formatTextDocument(const Bytes& varName, const Bytes& text, bool vellum) {
    Bytes out;
    out.reserve(varName.size() + text.size() + 2 * kCrLf.size());
    if (vellum) {
        out += varName;
        out += kCrLf;
    }
    out += text;
    if (!text.ends_with(kCrLf)) {
        out += kCrLf;
    }
    return out;
}

FileResult readFile(const std::string& path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return failure(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
    }
    char buffer[1 << 16];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = ::read(fd.get(), buffer, want);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            bytes.clear();
            return failure(error);
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return success();
}

FileResult replaceFileSafely(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return failure(ENOENT);
    }
    const std::string target = resolveLink(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        return failure(EISDIR);
    }

    std::string tempPath;
    FileDescriptor fd(createTemporary(target, tempPath));
    if (fd.get() < 0) {
        return failure(errno);
    }
    auto abandon = [&](int error) {
        if (fd.get() >= 0) {
            fd.close();
        }
        ::unlink(tempPath.c_str());
        return failure(error);
    };

    if (replacing) {
        // The new file takes the old one's permissions (and owner, where we may).
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) {
            return abandon(errno);
        }
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
        }
    }
    if (const int error = writeAll(fd.get(), bytes); error != 0) {
        return abandon(error);
    }
    if (::fsync(fd.get()) != 0) {
        return abandon(errno);
    }
    if (const int error = fd.close(); error != 0) {
        return abandon(error);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        return abandon(errno);
    }
    // Make the rename itself durable; the new file is in place either way.
    FileDescriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
    return success();
}

FileResult saveTextDocument(const std::string& path, const Bytes& varName, const Bytes& text) {
    return replaceFileSafely(path, formatTextDocument(varName, text, isVellumPath(path)));
}

} // namespace vellum
