#include "SpecialFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vellum::support {

const bool kHasFifos = true;
const bool kHasSymbolicLinks = true;

void makeFifo(const std::filesystem::path& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::system_error(errno, std::generic_category(), "mkfifo " + path.string());
    }
}

bool modesKeepThisProcessOut() {
    return ::geteuid() != 0;
}

FifoReader::FifoReader(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK)) {
    if (fd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "open " + path.string());
    }
}

FifoReader::~FifoReader() {
    ::close(fd_);
}

std::string FifoReader::read(std::size_t most) {
    std::string bytes(most, '\0');
    const ssize_t got = ::read(fd_, bytes.data(), most);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

} // namespace vellum::support
