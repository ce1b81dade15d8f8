#pragma once
// Files held in memory, for the string writer at the speed of a function
// call. Writes past the end fill the gap with zeros; reads past the end give
// zeros, as ByteFiles promises.

#include "formats/ByteFiles.h"

#include <map>
#include <string>
#include <vector>

namespace vellum::support {

class MemoryFiles final : public ByteFiles {
  public:
    std::map<std::string, std::string> files;

    FileStatus exists(const std::string& path, bool& found) override;
    FileStatus remove(const std::string& path) override;
    FileStatus open(const std::string& path, Handle& handle) override;
    FileStatus write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    FileStatus read(Handle handle, std::uint64_t offset, std::size_t size,
                    std::string& bytes) override;
    FileStatus close(Handle handle) override;

  private:
    std::string* fileOf(Handle handle);
    std::vector<std::string> open_; // path per handle; empty once closed
};

} // namespace vellum::support
