#pragma once
// Byte access to files at absolute offsets: what the string writer needs from
// the file system. Each operation reports a Failure instead of throwing, so
// the writer can show it and let the user continue or abandon.
//
// The writer works on a staging file beside its target and replaces the
// target only at the end (replace), so a failed or abandoned write never
// touches the file that was there.

#include "core/Outcome.h"
#include "io/Platform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::io {

class ByteFiles {
  public:
    using Handle = NativeHandle;
    static constexpr Handle kNoHandle = io::kNoHandle;

    virtual ~ByteFiles() = default;

    // A fresh path beside target for a staging file: a name nobody uses, short
    // enough to fit wherever target's own name fits. Creates nothing.
    virtual std::string stagingPathFor(const std::string& target) = 0;
    // Whether a file that the writer may delete stands at path: a regular
    // file or a symbolic link; never a folder, device, FIFO or socket.
    virtual Result<bool> exists(const std::string& path) = 0;
    // Deletes the file (a link itself, never what it points to).
    virtual Result<void> remove(const std::string& path) = 0;
    // Opens path for reading and writing at any offset, creating it when it
    // does not exist. An existing file keeps its bytes.
    virtual Result<Handle> open(const std::string& path) = 0;
    virtual Result<void> write(Handle handle, std::uint64_t offset, std::string_view bytes) = 0;
    // Reads size bytes from offset; bytes past the end of the file read as zero.
    virtual Result<std::string> read(Handle handle, std::uint64_t offset, std::size_t size) = 0;
    // The handle is released even when closing reports a failure.
    virtual Result<void> close(Handle handle) = 0;
    // Puts the complete staging file in target's place as replaceFile does:
    // target's metadata kept, a link written through, a device or FIFO written
    // in place, a folder refused. On failure target is untouched and the
    // staging file is gone.
    virtual Result<void> replace(const std::string& staging, const std::string& target) = 0;
};

// Files on the local disk through the platform's primitives. A staging file
// is made private and given its target's metadata when opened, before any
// byte; replace flushes it, renames it over the target and flushes the
// folder. A target that a rename would split from its links or give another
// owner takes the bytes into itself instead, as does one whose folder takes
// no staging file (which is then made in the user's cache folder). One of
// the program's own streams (as streamAt tells) is staged in the user's cache
// folder and written as a stream.
class DiskFiles final : public ByteFiles {
  public:
    std::string stagingPathFor(const std::string& target) override;
    Result<bool> exists(const std::string& path) override;
    Result<void> remove(const std::string& path) override;
    Result<Handle> open(const std::string& path) override;
    Result<void> write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    Result<std::string> read(Handle handle, std::uint64_t offset, std::size_t size) override;
    Result<void> close(Handle handle) override;
    Result<void> replace(const std::string& staging, const std::string& target) override;

  private:
    struct StagingFor {
        std::string target;
        bool created = false;                 // made by a first open; later opens reopen it
        bool metadataGiven = false;           // the target's, when opened
        bool ownerRefused = false;            // the user may not give it the target's owner
        std::filesystem::path cached{};       // where it is when the target's folder takes none
        std::optional<NativeHandle> stream{}; // the program's own stream that target names
    };
    // The file that stands for path: a staging file made in the user's cache
    // folder, or path itself.
    std::filesystem::path fileAt(const std::string& path) const;

    std::map<std::string, StagingFor> staging_; // by the staging paths handed out
};

// Files held in memory: for a program that writes many files, or standard
// output, the writer's steps run on a buffer, and replace hands the complete
// bytes to deliver (for example ReplaceBatch::add or writeStandardOutput).
// Handles are small numbers; writing past the end fills the gap with zeros.
class BufferedFiles final : public ByteFiles {
  public:
    using Deliver = std::function<Result<void>(const std::string& target, std::string bytes)>;
    explicit BufferedFiles(Deliver deliver) : deliver_(std::move(deliver)) {}

    std::string stagingPathFor(const std::string& target) override;
    Result<bool> exists(const std::string& path) override;
    Result<void> remove(const std::string& path) override;
    Result<Handle> open(const std::string& path) override;
    Result<void> write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    Result<std::string> read(Handle handle, std::uint64_t offset, std::size_t size) override;
    Result<void> close(Handle handle) override;
    Result<void> replace(const std::string& staging, const std::string& target) override;

  private:
    std::string* fileOf(Handle handle);

    Deliver deliver_;
    std::map<std::string, std::string> files_;
    std::map<Handle, std::string*> open_; // handle to its file in files_
    Handle next_ = 3;
};

} // namespace vellum::io
