#include "StringWriter.h"

#include "Messages.h"
#include "formats/ByteFiles.h"
#include "formats/StringFile.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <optional>

namespace vellum {

using namespace stringfile;

namespace {

FileStatus overflow() {
    return {kOverflowNumber, messages::kOverflow};
}

std::string le16(std::uint64_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

// One run of the writer. Each step returns its status; the run loop asks the
// user about every failure.
class StringWriter {
  public:
    StringWriter(StringWriterServices services, const std::string& path, const Bytes& name,
                 const Bytes& data)
        : files_(services.files), boxes_(services.boxes), clock_(services.clock), path_(path),
          name_(name), data_(data), n_(name.size()), L_(data.size()) {}

    CommandOutcome run() {
        const std::function<FileStatus()> steps[] = {
            [this] { return buildTheComment(); },                               // 1
            [this] { return deleteOldFile(); },                                 // 2
            [this] { return openFile(); },                                      // 3
            [this] { return writeSignature(); },                                // 4
            [this] { return put(kCommentOffset, comment_); },                   // 5
            [this] { return put16(kSectionLengthOffset, n_ + L_ + 12); },       // 6
            [this] { return put16(kEntryHeaderLengthOffset, n_ + 4); },         // 7
            [this] { return put16(kDataLengthOffset, L_ + 4); },                // 8
            [this] { return writeTypeAndNameLength(); },                        // 9
            [this] { return put(kNameOffset, name_); },                         // 10
            [this] { return put16(repeatedDataLengthOffset(n_), L_ + 4); },     // 11
            [this] { return put16(stringLengthOffset(n_), L_ + 2); },           // 12
            [this] { return writeData(); },                                     // 13
            [this] { return closeFile(); },                                     // 14
            [this] { return addUpSection(); },                                  // 15
            [this] { return put(checksumOffset(n_, L_), le16(sum_ % 65536)); }, // 16
            [this] { return closeFile(); },                                     // 17
        };
        std::optional<Failure> first;
        for (const auto& step : steps) {
            const FileStatus status = step();
            if (status.ok()) {
                continue;
            }
            const Failure failure{status.number, status.description};
            first = first.value_or(failure);
            if (!boxes_.askYesNoCritical(messages::writeFailure(failure),
                                         messages::writeFailureTitle(failure))) {
                abandon();
                break;
            }
        }
        if (first) {
            return *first;
        }
        return Completion::Done;
    }

  private:
    FileStatus buildTheComment() {
        const Result<ClockReading> now = clock_.now();
        if (!now.ok()) {
            const Failure& failure = now.failure();
            return failure.number != 0 ? FileStatus{failure.number, failure.text}
                                       : FileStatus::fromErrno(EIO);
        }
        comment_ = buildComment(now.value().time, now.value().date);
        return FileStatus::done();
    }

    FileStatus deleteOldFile() {
        bool found = false;
        if (FileStatus status = files_.exists(path_, found); !status.ok() || !found) {
            return status;
        }
        return files_.remove(path_);
    }

    FileStatus openFile() {
        FileStatus status = files_.open(path_, handle_);
        isOpen_ = status.ok();
        return status;
    }

    // Closing a file that is not open is no failure.
    FileStatus closeFile() {
        if (!isOpen_) {
            return FileStatus::done();
        }
        isOpen_ = false;
        return files_.close(handle_);
    }

    // Writes bytes at an absolute offset; the end of the write must stay
    // within the file limit.
    FileStatus put(std::uint64_t offset, std::string_view bytes) {
        if (offset + bytes.size() > kMaxFileSize) {
            return overflow();
        }
        return files_.write(isOpen_ ? handle_ : ByteFiles::kNoHandle, offset, bytes);
    }

    // A length or position field: its value, too, must fit the calculator's
    // signed 16 bits. (The checksum is unsigned and written with put.)
    FileStatus put16(std::uint64_t offset, std::uint64_t value) {
        if (value > kMaxFileSize) {
            return overflow();
        }
        return put(offset, le16(value));
    }

    FileStatus writeSignature() {
        if (FileStatus status = put(0, kSignature); !status.ok()) {
            return status;
        }
        return put(kSignatureTailOffset, kSignatureTail);
    }

    FileStatus writeTypeAndNameLength() {
        if (FileStatus status = put(kTypeOffset, std::string(1, static_cast<char>(kStringType)));
            !status.ok()) {
            return status;
        }
        if (n_ > kMaxNameLength) {
            return overflow(); // the name length has one byte
        }
        return put(kNameLengthOffset, std::string(1, static_cast<char>(n_)));
    }

    FileStatus writeData() {
        if (FileStatus status = put(dataOffset(n_), data_); !status.ok()) {
            return status;
        }
        return put(dataOffset(n_) + L_, kStringEnd);
    }

    // Reopens the file and adds up the data section as the file records its
    // length, so the checksum covers what was actually written.
    FileStatus addUpSection() {
        if (FileStatus status = openFile(); !status.ok()) {
            return status;
        }
        std::string bytes;
        if (FileStatus status = files_.read(handle_, kSectionLengthOffset, 2, bytes);
            !status.ok()) {
            return status;
        }
        const std::size_t length = static_cast<unsigned char>(bytes[0]) |
                                   static_cast<std::size_t>(static_cast<unsigned char>(bytes[1]))
                                       << 8;
        if (kSectionOffset + length > kMaxFileSize) {
            return overflow();
        }
        if (FileStatus status = files_.read(handle_, kSectionOffset, length, bytes); !status.ok()) {
            return status;
        }
        std::uint32_t sum = 0;
        for (const char byte : bytes) {
            sum += static_cast<unsigned char>(byte);
        }
        sum_ = sum;
        return FileStatus::done();
    }

    // After a No: close, delete, and end. A failure here ends the writer
    // without a further message.
    void abandon() {
        if (isOpen_) {
            isOpen_ = false;
            if (!files_.close(handle_).ok()) {
                return;
            }
        }
        bool found = false;
        if (!files_.exists(path_, found).ok() || !found) {
            return;
        }
        (void)files_.remove(path_);
    }

    ByteFiles& files_;
    MessageBoxes& boxes_;
    Clock& clock_;
    const std::string& path_;
    const Bytes& name_;
    const Bytes& data_;
    const std::uint64_t n_;
    const std::uint64_t L_;

    Bytes comment_; // stays empty when the clock fails
    ByteFiles::Handle handle_ = ByteFiles::kNoHandle;
    bool isOpen_ = false;
    std::uint32_t sum_ = 0;
};

} // namespace

CommandOutcome writeStringFile(StringWriterServices services, const std::string& path,
                               const Bytes& name, const Bytes& data) {
    return StringWriter(services, path, name, data).run();
}

} // namespace vellum
