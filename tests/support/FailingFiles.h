#pragma once
// A ByteFiles decorator that passes every call on, except the calls it was
// told to fail: those report the given failure and do nothing (a failing
// close still releases the handle, as POSIX close does; a failing replace
// removes the staging file, as the real one does). It logs every call.

#include "io/ByteFiles.h"

#include <string>
#include <vector>

namespace vellum::test {

class FailingFiles final : public io::ByteFiles {
  public:
    enum class Op { Exists, Remove, Open, Write, Read, Close, Replace };

    struct Call {
        Op op;
        int nth;              // 1 for the first call of this operation, and so on
        std::string path;     // Exists, Remove, Open, Replace (the target)
        std::uint64_t offset; // Write, Read
        std::size_t size;     // Write, Read
        bool failed;
    };

    explicit FailingFiles(io::ByteFiles& inner) : inner_(inner) {}

    // Makes the nth call of op fail (counting from 1).
    void failCall(Op op, int nth, Failure failure);
    // Makes the nth call of op and every later one fail.
    void failFrom(Op op, int nth, Failure failure);

    const std::vector<Call>& calls() const { return calls_; }
    int count(Op op) const;

    std::string stagingPathFor(const std::string& target) override;
    Result<bool> exists(const std::string& path) override;
    Result<void> remove(const std::string& path) override;
    Result<Handle> open(const std::string& path) override;
    Result<void> write(Handle handle, std::uint64_t offset, std::string_view bytes) override;
    Result<std::string> read(Handle handle, std::uint64_t offset, std::size_t size) override;
    Result<void> close(Handle handle) override;
    Result<void> replace(const std::string& staging, const std::string& target) override;

  private:
    struct Rule {
        Op op;
        int nth;
        bool onwards;
        Failure failure;
    };
    // Logs the call; returns the failure to report, or success.
    Result<void> record(Op op, const std::string& path, std::uint64_t offset, std::size_t size);

    io::ByteFiles& inner_;
    std::vector<Rule> rules_;
    std::vector<Call> calls_;
};

} // namespace vellum::test
