#pragma once
// The kinds of file besides plain files and folders that some tests make:
// FIFOs, symbolic links, files their owner may not read. Windows has no
// FIFOs, its links need a privilege the tests lack and its modes keep no
// owner out, so there the tests leave those cases out.
// PosixSpecialFiles.cpp, Win32SpecialFiles.cpp.

#include <cstddef>
#include <filesystem>
#include <string>

namespace vellum::support {

extern const bool kHasFifos;
extern const bool kHasSymbolicLinks;

// Makes a FIFO; throws where it cannot (always where there are none).
void makeFifo(const std::filesystem::path& path);

// Whether a file whose mode grants nothing keeps this process from reading
// it: not for root, who reads every file, and never on Windows.
bool modesKeepThisProcessOut();

// The reading end of a FIFO, opened without waiting for a writer and closed
// when it goes; throws where it cannot be opened.
class FifoReader {
  public:
    explicit FifoReader(const std::filesystem::path& path);
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    // Up to `most` bytes that writers have put in, without waiting for more.
    std::string read(std::size_t most);

  private:
    int fd_ = -1;
};

} // namespace vellum::support
