#include "StringWriter.h"

#include "Messages.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <optional>

namespace vellum {

using namespace stringfile;

namespace {

using Status = Result<void>;

Status overflow() {
    return Failure{kOverflowNumber, messages::kOverflow, FailureKind::Overflow};
}

// One run of the writer. Each step returns its status; the run loop asks the
// user about every failure. The steps work on a staging file beside the
// target; the last one puts it in the target's place, so that the file that
// was there survives any failure the user answers with No.
using io::ByteFiles;

class StringWriter {
  public:
    StringWriter(StringWriterServices services, const std::string& path, const Bytes& name,
                 const Bytes& data)
        : files_(services.files), boxes_(services.boxes), clock_(services.clock), path_(path),
          staging_(files_.stagingPathFor(path)), name_(name), data_(data), n_(name.size()),
          L_(data.size()) {}

    CommandOutcome run() {
        const std::function<Status()> steps[] = {
            [this] { return buildTheComment(); },                                      // 1
            [this] { return deleteOldFile(); },                                        // 2
            [this] { return openFile(); },                                             // 3
            [this] { return writeSignature(); },                                       // 4
            [this] { return put(kCommentOffset, comment_); },                          // 5
            [this] { return put16(kSectionLengthOffset, sectionLength(n_, L_)); },     // 6
            [this] { return put16(kEntryHeaderLengthOffset, entryHeaderLength(n_)); }, // 7
            [this] { return put16(kDataLengthOffset, dataLength(L_)); },               // 8
            [this] { return writeTypeAndNameLength(); },                               // 9
            [this] { return put(kNameOffset, name_); },                                // 10
            [this] { return put16(repeatedDataLengthOffset(n_), dataLength(L_)); },    // 11
            [this] { return put16(stringLengthOffset(n_), stringLength(L_)); },        // 12
            [this] { return writeData(); },                                            // 13
            [this] { return closeFile(); },                                            // 14
            [this] { return addUpSection(); },                                         // 15
            [this] { return put(checksumOffset(n_, L_), littleEndian16(checksum_)); }, // 16
            [this] { return closeFile(); },                                            // 17
            [this] { return files_.replace(staging_, path_); },                        // into place
        };
        std::optional<Failure> first;
        for (const auto& step : steps) {
            const Status status = step();
            if (status.ok()) {
                continue;
            }
            const Failure& failure = status.failure();
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
    Status buildTheComment() {
        const Result<ClockReading> now = clock_.now();
        if (!now.ok()) {
            return now.failure().number != 0 ? now.failure() : Failure::fromErrno(EIO);
        }
        comment_ = buildComment(now.value().time, now.value().date);
        return {};
    }

    // A staging file left at the staging path (by nobody, normally) goes first.
    Status deleteOldFile() {
        Result<bool> found = files_.exists(staging_);
        if (!found.ok()) {
            return found.failure();
        }
        return found.value() ? files_.remove(staging_) : Status{};
    }

    Status openFile() {
        Result<ByteFiles::Handle> opened = files_.open(staging_);
        isOpen_ = opened.ok();
        if (!opened.ok()) {
            return opened.failure();
        }
        handle_ = opened.value();
        return {};
    }

    // Closing a file that is not open is no failure.
    Status closeFile() {
        if (!isOpen_) {
            return {};
        }
        isOpen_ = false;
        return files_.close(handle_);
    }

    // Writes bytes at an absolute offset; the end of the write must stay
    // within the file limit.
    Status put(std::uint64_t offset, std::string_view bytes) {
        if (offset + bytes.size() > kMaxFileSize) {
            return overflow();
        }
        return files_.write(isOpen_ ? handle_ : ByteFiles::kNoHandle, offset, bytes);
    }

    // A length or position field: its value, too, must fit the calculator's
    // signed 16 bits. (The checksum is unsigned and written with put.)
    Status put16(std::uint64_t offset, std::uint64_t value) {
        if (value > kMaxFileSize) {
            return overflow();
        }
        return put(offset, littleEndian16(static_cast<std::uint16_t>(value)));
    }

    Status writeSignature() {
        if (Status status = put(0, kSignature); !status.ok()) {
            return status;
        }
        return put(kSignatureTailOffset, kSignatureTail);
    }

    Status writeTypeAndNameLength() {
        if (Status status = put(kTypeOffset, std::string(1, static_cast<char>(kStringType)));
            !status.ok()) {
            return status;
        }
        if (n_ > kMaxStoredNameLength) {
            return overflow(); // the name length has one byte
        }
        return put(kNameLengthOffset, std::string(1, static_cast<char>(n_)));
    }

    Status writeData() {
        if (Status status = put(dataOffset(n_), data_); !status.ok()) {
            return status;
        }
        return put(dataOffset(n_) + L_, kStringEnd);
    }

    // Reopens the file and adds up the data section as the file records its
    // length, so the checksum covers what was actually written.
    Status addUpSection() {
        if (Status status = openFile(); !status.ok()) {
            return status;
        }
        Result<std::string> header = files_.read(handle_, kSectionLengthOffset, 2);
        if (!header.ok()) {
            return header.failure();
        }
        const std::size_t length = readLittleEndian16(header.value());
        if (checksumOffsetAfter(length) > kMaxFileSize) {
            return overflow();
        }
        Result<std::string> section = files_.read(handle_, kSectionOffset, length);
        if (!section.ok()) {
            return section.failure();
        }
        checksum_ = checksum(section.value());
        return {};
    }

    // After a No: close, delete the staging file, and end; the target is left
    // as it was. A failure here ends the writer without a further message.
    void abandon() {
        if (isOpen_) {
            isOpen_ = false;
            if (!files_.close(handle_).ok()) {
                return;
            }
        }
        Result<bool> found = files_.exists(staging_);
        if (!found.ok() || !found.value()) {
            return;
        }
        (void)files_.remove(staging_);
    }

    ByteFiles& files_;
    MessageBoxes& boxes_;
    Clock& clock_;
    const std::string& path_;
    const std::string staging_;
    const Bytes& name_;
    const Bytes& data_;
    const std::uint64_t n_;
    const std::uint64_t L_;

    Bytes comment_; // stays empty when the clock fails
    ByteFiles::Handle handle_ = ByteFiles::kNoHandle;
    bool isOpen_ = false;
    std::uint16_t checksum_ = 0;
};

} // namespace

CommandOutcome writeStringFile(StringWriterServices services, const std::string& path,
                               const Bytes& name, const Bytes& data) {
    return StringWriter(services, path, name, data).run();
}

} // namespace vellum
