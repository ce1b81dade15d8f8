#include "ByteFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vellum {

FileStatus FileStatus::fromErrno(int error) {
    if (error == 0) {
        error = EIO;
    }
    return {error, std::generic_category().message(error)};
}

namespace {

// pread and pwrite take a signed offset.
bool offsetFits(std::uint64_t offset, std::size_t size) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= kMax && size <= kMax - offset;
}

} // namespace

FileStatus PosixFiles::exists(const std::string& path, bool& found) {
    found = false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return FileStatus::done();
        }
        return FileStatus::fromErrno(errno);
    }
    found = S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
    return FileStatus::done();
}

FileStatus PosixFiles::remove(const std::string& path) {
    // unlink, not remove(3): a directory is never taken away.
    if (::unlink(path.c_str()) != 0) {
        return FileStatus::fromErrno(errno);
    }
    return FileStatus::done();
}

FileStatus PosixFiles::open(const std::string& path, Handle& handle) {
    handle = kNoHandle;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return FileStatus::fromErrno(errno);
    }
    handle = fd;
    return FileStatus::done();
}

FileStatus PosixFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    if (!offsetFits(offset, bytes.size())) {
        return FileStatus::fromErrno(EFBIG);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(handle, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileStatus::fromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (bytes.empty() && ::fcntl(handle, F_GETFD) < 0) {
        return FileStatus::fromErrno(errno); // nothing to write, but no file either
    }
    return FileStatus::done();
}

FileStatus PosixFiles::read(Handle handle, std::uint64_t offset, std::size_t size,
                            std::string& bytes) {
    bytes.assign(size, '\0');
    if (!offsetFits(offset, size)) {
        return FileStatus::fromErrno(EFBIG);
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(handle, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileStatus::fromErrno(errno);
        }
        if (n == 0) {
            break; // end of file: the rest stays zero
        }
        done += static_cast<std::size_t>(n);
    }
    if (size == 0 && ::fcntl(handle, F_GETFD) < 0) {
        return FileStatus::fromErrno(errno);
    }
    return FileStatus::done();
}

FileStatus PosixFiles::close(Handle handle) {
    // Linux releases the descriptor even when close fails, so never retry.
    if (::close(handle) != 0) {
        return FileStatus::fromErrno(errno);
    }
    return FileStatus::done();
}

void FailingFiles::failCall(Op op, int nth, FileStatus failure) {
    rules_.push_back({op, nth, false, std::move(failure)});
}

void FailingFiles::failFrom(Op op, int nth, FileStatus failure) {
    rules_.push_back({op, nth, true, std::move(failure)});
}

int FailingFiles::count(Op op) const {
    int n = 0;
    for (const Call& call : calls_) {
        n += call.op == op ? 1 : 0;
    }
    return n;
}

FileStatus FailingFiles::record(Op op, const std::string& path, std::uint64_t offset,
                                std::size_t size) {
    const int nth = count(op) + 1;
    FileStatus result;
    for (const Rule& rule : rules_) {
        if (rule.op == op && (nth == rule.nth || (rule.onwards && nth > rule.nth))) {
            result = rule.failure;
            if (result.ok()) {
                result = FileStatus::fromErrno(EIO); // a rule must fail
            }
            break;
        }
    }
    calls_.push_back({op, nth, path, offset, size, !result.ok()});
    return result;
}

FileStatus FailingFiles::exists(const std::string& path, bool& found) {
    found = false;
    FileStatus status = record(Op::Exists, path, 0, 0);
    return status.ok() ? inner_.exists(path, found) : status;
}

FileStatus FailingFiles::remove(const std::string& path) {
    FileStatus status = record(Op::Remove, path, 0, 0);
    return status.ok() ? inner_.remove(path) : status;
}

FileStatus FailingFiles::open(const std::string& path, Handle& handle) {
    handle = kNoHandle;
    FileStatus status = record(Op::Open, path, 0, 0);
    return status.ok() ? inner_.open(path, handle) : status;
}

FileStatus FailingFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    FileStatus status = record(Op::Write, {}, offset, bytes.size());
    return status.ok() ? inner_.write(handle, offset, bytes) : status;
}

FileStatus FailingFiles::read(Handle handle, std::uint64_t offset, std::size_t size,
                              std::string& bytes) {
    FileStatus status = record(Op::Read, {}, offset, size);
    if (!status.ok()) {
        bytes.assign(size, '\0');
        return status;
    }
    return inner_.read(handle, offset, size, bytes);
}

FileStatus FailingFiles::close(Handle handle) {
    FileStatus status = record(Op::Close, {}, 0, 0);
    FileStatus inner = inner_.close(handle);
    return status.ok() ? inner : status;
}

} // namespace vellum
