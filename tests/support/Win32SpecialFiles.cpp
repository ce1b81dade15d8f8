#include "SpecialFiles.h"

#include <stdexcept>

namespace vellum::support {

const bool kHasFifos = false;
const bool kHasSymbolicLinks = false;

void makeFifo(const std::filesystem::path& path) {
    throw std::runtime_error("no FIFOs on Windows: " + path.string());
}

bool modesKeepThisProcessOut() {
    return false;
}

FifoReader::FifoReader(const std::filesystem::path& path) {
    makeFifo(path);
}

FifoReader::~FifoReader() = default;

std::string FifoReader::read(std::size_t) {
    return {};
}

} // namespace vellum::support
