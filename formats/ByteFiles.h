#pragma once
// Byte access to files at absolute offsets: what the string writer needs from
// the file system. Each operation reports a FileStatus instead of throwing, so
// the writer can show the failure and let the user continue or abandon.
//
// PosixFiles is the real thing. FailingFiles wraps any ByteFiles and makes
// chosen calls fail, so that a test can break any single step of a write.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// The outcome of one file operation: number 0 when it was done, otherwise the
// failure's number and a description for the user. PosixFiles reports the
// system's errno value and its text.
struct FileStatus {
    int number = 0;
    std::string description;

    bool ok() const { return number == 0; }
    static FileStatus done() { return {}; }
    // errno and its text; an errno of 0 (which would read as success) becomes EIO.
    static FileStatus fromErrno(int error);
};

class ByteFiles {
  public:
    using Handle = int;
    static constexpr Handle kNoHandle = -1;

    virtual ~ByteFiles() = default;

    // Whether a file that the writer may replace stands at path: a regular
    // file or a symbolic link. Directories, devices, pipes and sockets are not
    // such files, so the writer never deletes them.
    virtual FileStatus exists(const std::string& path, bool& found) = 0;
    // Deletes the file (a link itself, never what it points to).
    virtual FileStatus remove(const std::string& path) = 0;
    // Opens path for reading and writing at any offset, creating it when it
    // does not exist. An existing file keeps its bytes.
    virtual FileStatus open(const std::string& path, Handle& handle) = 0;
    virtual FileStatus write(Handle handle, std::uint64_t offset, std::string_view bytes) = 0;
    // Reads size bytes from offset into bytes; bytes past the end of the file
    // read as zero.
    virtual FileStatus read(Handle handle, std::uint64_t offset, std::size_t size,
                            std::string& bytes) = 0;
    // The handle is released even when closing reports a failure.
    virtual FileStatus close(Handle handle) = 0;
};

// Files on the local file system through POSIX calls. Handles are file
// descriptors.
class PosixFiles final : public ByteFiles {
  public:
    FileStatus exists(const std::string& path, bool& found) override;
    FileStatus remove(const std::string& path) override;
    FileStatus open(const std::string& path, Handle& handle) override;
    FileStatus write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    FileStatus read(Handle handle, std::uint64_t offset, std::size_t size,
                    std::string& bytes) override;
    FileStatus close(Handle handle) override;
};

// A decorator that passes every call on to another ByteFiles, except the calls
// it was told to fail: those report the given failure and do nothing (a
// failing close still releases the handle, as POSIX close does). It keeps a
// log of all calls.
class FailingFiles final : public ByteFiles {
  public:
    enum class Op { Exists, Remove, Open, Write, Read, Close };

    struct Call {
        Op op;
        int nth;              // 1 for the first call of this operation, and so on
        std::string path;     // Exists, Remove, Open
        std::uint64_t offset; // Write, Read
        std::size_t size;     // Write, Read
        bool failed;
    };

    explicit FailingFiles(ByteFiles& inner) : inner_(inner) {}

    // Makes the nth call of op fail (counting from 1).
    void failCall(Op op, int nth, FileStatus failure);
    // Makes the nth call of op and every later one fail.
    void failFrom(Op op, int nth, FileStatus failure);

    const std::vector<Call>& calls() const { return calls_; }
    int count(Op op) const;

    FileStatus exists(const std::string& path, bool& found) override;
    FileStatus remove(const std::string& path) override;
    FileStatus open(const std::string& path, Handle& handle) override;
    FileStatus write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    FileStatus read(Handle handle, std::uint64_t offset, std::size_t size,
                    std::string& bytes) override;
    FileStatus close(Handle handle) override;

  private:
    struct Rule {
        Op op;
        int nth;
        bool onwards;
        FileStatus failure;
    };
    // Logs the call; returns the failure to report, or a done status.
    FileStatus record(Op op, const std::string& path, std::uint64_t offset, std::size_t size);

    ByteFiles& inner_;
    std::vector<Rule> rules_;
    std::vector<Call> calls_;
};

} // namespace vellum
