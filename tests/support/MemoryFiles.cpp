#include "MemoryFiles.h"

#include <cerrno>

namespace vellum::support {

FileStatus MemoryFiles::exists(const std::string& path, bool& found) {
    found = files.count(path) != 0;
    return FileStatus::done();
}

FileStatus MemoryFiles::remove(const std::string& path) {
    return files.erase(path) != 0 ? FileStatus::done() : FileStatus::fromErrno(ENOENT);
}

FileStatus MemoryFiles::open(const std::string& path, Handle& handle) {
    files[path]; // creates an empty file, keeps an existing one
    open_.push_back(path);
    handle = static_cast<Handle>(open_.size() - 1);
    return FileStatus::done();
}

FileStatus MemoryFiles::write(Handle handle, std::uint64_t offset, std::string_view bytes) {
    std::string* file = fileOf(handle);
    if (file == nullptr) {
        return FileStatus::fromErrno(EBADF);
    }
    if (file->size() < offset + bytes.size()) {
        file->resize(offset + bytes.size(), '\0');
    }
    file->replace(offset, bytes.size(), bytes);
    return FileStatus::done();
}

FileStatus MemoryFiles::read(Handle handle, std::uint64_t offset, std::size_t size,
                             std::string& bytes) {
    const std::string* file = fileOf(handle);
    if (file == nullptr) {
        return FileStatus::fromErrno(EBADF);
    }
    bytes.assign(size, '\0');
    if (offset < file->size()) {
        file->copy(bytes.data(), size, offset);
    }
    return FileStatus::done();
}

FileStatus MemoryFiles::close(Handle handle) {
    if (fileOf(handle) == nullptr) {
        return FileStatus::fromErrno(EBADF);
    }
    open_[static_cast<std::size_t>(handle)].clear();
    return FileStatus::done();
}

std::string* MemoryFiles::fileOf(Handle handle) {
    if (handle < 0 || static_cast<std::size_t>(handle) >= open_.size() ||
        open_[static_cast<std::size_t>(handle)].empty()) {
        return nullptr;
    }
    return &files[open_[static_cast<std::size_t>(handle)]];
}

} // namespace vellum::support
