#pragma once
// What the fuzz targets share: a check that stops the run with a message, and
// the writer's surroundings kept in memory (files, a clock, message boxes), so
// that a target can compile a string file through the real writer at the speed
// of a function call.

#include "formats/ByteFiles.h"
#include "commands/Services.h"
#include "formats/StringFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::fuzz {

// Stops the run (libFuzzer then keeps the input) when an invariant is broken.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Files held in memory. Writes past the end fill the gap with zeros; reads
// past the end give zeros, as ByteFiles promises.
class MemoryFiles final : public ByteFiles {
  public:
    std::map<std::string, std::string> files;

    FileStatus exists(const std::string& path, bool& found) override {
        found = files.count(path) != 0;
        return FileStatus::done();
    }
    FileStatus remove(const std::string& path) override {
        return files.erase(path) != 0 ? FileStatus::done() : FileStatus{2, "no such file"};
    }
    FileStatus open(const std::string& path, Handle& handle) override {
        files[path]; // creates an empty file, keeps an existing one
        open_.push_back(path);
        handle = static_cast<Handle>(open_.size() - 1);
        return FileStatus::done();
    }
    FileStatus write(Handle handle, std::uint64_t offset, std::string_view bytes) override {
        std::string* file = fileOf(handle);
        if (file == nullptr) {
            return {9, "bad file handle"};
        }
        if (file->size() < offset + bytes.size()) {
            file->resize(offset + bytes.size(), '\0');
        }
        file->replace(offset, bytes.size(), bytes);
        return FileStatus::done();
    }
    FileStatus read(Handle handle, std::uint64_t offset, std::size_t size,
                    std::string& bytes) override {
        const std::string* file = fileOf(handle);
        if (file == nullptr) {
            return {9, "bad file handle"};
        }
        bytes.assign(size, '\0');
        if (offset < file->size()) {
            file->copy(bytes.data(), size, offset);
        }
        return FileStatus::done();
    }
    FileStatus close(Handle handle) override {
        if (fileOf(handle) == nullptr) {
            return {9, "bad file handle"};
        }
        open_[static_cast<std::size_t>(handle)].clear();
        return FileStatus::done();
    }

  private:
    std::string* fileOf(Handle handle) {
        if (handle < 0 || static_cast<std::size_t>(handle) >= open_.size() ||
            open_[static_cast<std::size_t>(handle)].empty()) {
            return nullptr;
        }
        return &files[open_[static_cast<std::size_t>(handle)]];
    }

    std::vector<std::string> open_; // path per handle; empty once closed
};

class FixedClock final : public Clock {
  public:
    std::string timeText() override { return "10:15:30 PM"; }
    std::string dateText() override { return "12/6/2026"; }
};

// Records every failure box and answers No, so a failed write leaves no file.
class RecordingBoxes final : public MessageBoxes {
  public:
    std::vector<std::string> titles;

    Answer askYesNoCancel(const std::string&, const std::string& title) override {
        titles.push_back(title);
        return Answer::Cancel;
    }
    bool askYesNoCritical(const std::string&, const std::string& title) override {
        titles.push_back(title);
        return false;
    }
    void showError(const std::string&, const std::string& title) override {
        titles.push_back(title);
    }
};

// A string file as the compile command writes it for this name and text (the
// editor's text, CR LF line ends), through the real writer. Empty when the
// writer refused to write it; boxes then holds the failure titles.
inline std::string compileString(const Bytes& name, const Bytes& text, RecordingBoxes& boxes) {
    MemoryFiles files;
    FixedClock clock;
    const std::string path = "compiled.85s";
    writeStringFile({files, boxes, clock}, path, name, buildStringData(text));
    const auto file = files.files.find(path);
    return file == files.files.end() ? std::string() : file->second;
}

} // namespace vellum::fuzz
