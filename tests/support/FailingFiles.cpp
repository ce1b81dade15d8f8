#include "tests/support/FailingFiles.h"

#include <cerrno>

namespace vellum::test {

void FailingFiles::failCall(Op op, int nth, Failure failure) {
    rules_.push_back({op, nth, false, std::move(failure)});
}

void FailingFiles::failFrom(Op op, int nth, Failure failure) {
    rules_.push_back({op, nth, true, std::move(failure)});
}

int FailingFiles::count(Op op) const {
    int n = 0;
    for (const Call& call : calls_) {
        n += call.op == op ? 1 : 0;
    }
    return n;
}

Result<void> FailingFiles::record(Op op, const std::string& path, std::uint64_t offset,
                                  std::size_t size) {
    const int nth = count(op) + 1;
    Result<void> result;
    for (const Rule& rule : rules_) {
        if (rule.op == op && (nth == rule.nth || (rule.onwards && nth > rule.nth))) {
            // A rule always fails, even one given number 0.
            result = rule.failure.number != 0 ? rule.failure : Failure::fromErrno(EIO);
            break;
        }
    }
    calls_.push_back({op, nth, path, offset, size, !result.ok()});
    return result;
}

std::string FailingFiles::stagingPathFor(const std::string& target) {
    return inner_.stagingPathFor(target);
}

Result<bool> FailingFiles::exists(const std::string& path) {
    Result<void> status = record(Op::Exists, path, 0, 0);
    return status.ok() ? inner_.exists(path) : Result<bool>(status.failure());
}

Result<void> FailingFiles::remove(const std::string& path) {
    Result<void> status = record(Op::Remove, path, 0, 0);
    return status.ok() ? inner_.remove(path) : status;
}

Result<io::ByteFiles::Handle> FailingFiles::open(const std::string& path) {
    Result<void> status = record(Op::Open, path, 0, 0);
    return status.ok() ? inner_.open(path) : Result<Handle>(status.failure());
}

Result<void> FailingFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    Result<void> status = record(Op::Write, {}, offset, bytes.size());
    return status.ok() ? inner_.write(handle, offset, bytes) : status;
}

Result<std::string> FailingFiles::read(Handle handle, std::uint64_t offset, std::size_t size) {
    Result<void> status = record(Op::Read, {}, offset, size);
    return status.ok() ? inner_.read(handle, offset, size) : Result<std::string>(status.failure());
}

Result<void> FailingFiles::close(Handle handle) {
    Result<void> status = record(Op::Close, {}, 0, 0);
    Result<void> inner = inner_.close(handle);
    return status.ok() ? inner : status;
}

Result<void> FailingFiles::replace(const std::string& staging, const std::string& target) {
    Result<void> status = record(Op::Replace, target, 0, 0);
    if (!status.ok()) {
        (void)inner_.remove(staging);
        return status;
    }
    return inner_.replace(staging, target);
}

} // namespace vellum::test
