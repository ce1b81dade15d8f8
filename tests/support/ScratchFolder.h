#pragma once
// A scratch folder for one test (or one benchmark), removed with everything
// in it afterwards, and whole-file helpers for setting up and reading back.

#include <filesystem>
#include <string>
#include <vector>

namespace vellum::support {

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside the folder, as the UTF-8 text the commands and io/ take.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    // The names of the entries in the folder (a staging file left behind shows).
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

// Writes the bytes, creating missing folders first.
void writeBytes(const std::filesystem::path& file, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);

} // namespace vellum::support
