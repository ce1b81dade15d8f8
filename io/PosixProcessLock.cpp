// The lock between processes on POSIX systems: flock on a lock file.

#include "io/ProcessLock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vellum::io {

namespace {

// How often a waiting process tries again: soon at first, then at a steady
// pace that costs nothing while another process writes.
constexpr auto kFirstRetry = std::chrono::milliseconds(1);
constexpr auto kLongestRetry = std::chrono::milliseconds(20);

std::filesystem::path lockFileOf(const std::filesystem::path& location) {
    std::filesystem::path file = location;
    file += ".lock";
    return file;
}

// The lock file, opened so that a FIFO or device in its place cannot block
// the open, and never passed on to the helper programs the holder runs (an
// inherited descriptor would keep the lock held for as long as they run). A
// lock file the user may not write (another account made it) still takes an
// flock when opened for reading.
Result<int> openLockFile(const std::filesystem::path& file) {
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    for (const int access : {O_RDWR | O_CREAT, O_RDONLY}) {
        int fd = -1;
        do {
            fd = ::open(file.c_str(), access | kFlags, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EACCES) {
            break;
        }
    }
    return Failure::fromErrno(errno);
}

// True when taken; false while another open file holds it.
Result<bool> tryLock(int fd) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return false;
        }
        if (errno != EINTR) {
            return Failure::fromErrno(errno);
        }
    }
    return true;
}

} // namespace

Result<ProcessLock> ProcessLock::acquire(const std::filesystem::path& location,
                                         std::chrono::milliseconds patience) {
    const std::filesystem::path file = lockFileOf(location);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        return Failure::fromErrno(ec.default_error_condition().value());
    }
    const Result<int> opened = openLockFile(file);
    if (!opened.ok()) {
        return opened.failure();
    }
    ProcessLock lock(NativeHandle{opened.value()});
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kFirstRetry);
    for (;;) {
        const Result<bool> taken = tryLock(opened.value());
        if (!taken.ok()) {
            return taken.failure();
        }
        if (taken.value()) {
            return lock;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return heldElsewhere();
        }
        std::this_thread::sleep_for(std::min(pause, deadline - now));
        pause = std::min<std::chrono::steady_clock::duration>(pause * 2, kLongestRetry);
    }
}

// Closing the only descriptor of the open file releases its flock.
void ProcessLock::release() noexcept {
    if (handle_ != kNoHandle) {
        ::close(static_cast<int>(handle_));
        handle_ = kNoHandle;
    }
}

} // namespace vellum::io
