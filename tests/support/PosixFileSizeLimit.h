#pragma once
// A full disk for the tests: while a FileSizeLimit lives, this process may
// grow a file only to the given number of bytes. Writes beyond fail with
// EFBIG (SIGXFSZ is ignored meanwhile) instead of ending the process.
// Windows has no such limit: only POSIX suites include this.

#include <csignal>
#include <sys/resource.h>

namespace vellum::support {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lower = old_;
        lower.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

} // namespace vellum::support
