#include "StringFile.h"

#include <cerrno>
#include <exception>
#include <functional>
#include <system_error>

namespace vellum {

using namespace stringfile;

Bytes toLfLineEnds(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue; // the LF of the pair follows
        }
        out.push_back(text[i]);
    }
    return out;
}

Bytes buildStringData(std::string_view text) {
    Bytes data;
    data.reserve(kLeadIn.size() + text.size());
    data.append(kLeadIn);
    data.append(toLfLineEnds(text));
    return data;
}

Bytes buildComment(std::string_view timeUtf8, std::string_view dateUtf8) {
    Bytes comment(kCommentPrefix);
    comment += Charset::encodeText(Charset::fromUtf8(timeUtf8));
    comment += ' ';
    comment += Charset::encodeText(Charset::fromUtf8(dateUtf8));
    comment.resize(kCommentLength, ' ');
    return comment;
}

std::string writeFailureMessage(const Failure& failure) {
    return "Error " + std::to_string(failure.number) + " has occured while writing String.\r\n" +
           failure.text + "\r\nContinue Anyway?";
}

std::string writeFailureTitle(const Failure& failure) {
    return "Error " + std::to_string(failure.number);
}

namespace {

using Status = Result<void>;

Status overflow() {
    return Failure{kOverflowNumber, kOverflowDescription};
}

std::string le16(std::uint64_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
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

    void run() {
        const std::function<Status()> steps[] = {
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
            [this] { return files_.replace(staging_, path_); },                 // into place
        };
        for (const auto& step : steps) {
            const Status status = step();
            if (status.ok()) {
                continue;
            }
            const Failure& failure = status.failure();
            if (!boxes_.askYesNoCritical(writeFailureMessage(failure),
                                         writeFailureTitle(failure))) {
                abandon();
                return;
            }
        }
    }

  private:
    Status buildTheComment() {
        try {
            const std::string time = clock_.timeText();
            const std::string date = clock_.dateText();
            comment_ = buildComment(time, date);
        } catch (const std::system_error& e) {
            return e.code().value() != 0 ? Failure{e.code().value(), e.code().message()}
                                         : Failure::fromErrno(EIO);
        } catch (const std::exception& e) {
            return Failure{EIO, e.what()};
        }
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
        return put(offset, le16(value));
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
        if (n_ > kMaxNameLength) {
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
        const std::string& bytes = header.value();
        const std::size_t length = static_cast<unsigned char>(bytes[0]) |
                                   static_cast<std::size_t>(static_cast<unsigned char>(bytes[1]))
                                       << 8;
        if (kSectionOffset + length > kMaxFileSize) {
            return overflow();
        }
        Result<std::string> section = files_.read(handle_, kSectionOffset, length);
        if (!section.ok()) {
            return section.failure();
        }
        std::uint32_t sum = 0;
        for (const char byte : section.value()) {
            sum += static_cast<unsigned char>(byte);
        }
        sum_ = sum;
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
    std::uint32_t sum_ = 0;
};

} // namespace

void writeStringFile(StringWriterServices services, const std::string& path, const Bytes& name,
                     const Bytes& data) {
    StringWriter(services, path, name, data).run();
}

void Editor::SaveStr(const std::string& FName, const Bytes& Data) {
    if (services_.files == nullptr || services_.boxes == nullptr || services_.clock == nullptr) {
        return; // an editor built without file access writes nothing
    }
    writeStringFile({*services_.files, *services_.boxes, *services_.clock}, FName, doc_.VarName,
                    Data);
}

void Editor::cmdString_Click() {
    if (services_.dlgString == nullptr) {
        return;
    }
    // The dialog, the text and Data: a failure of any of them ends the
    // command silently, before anything is written.
    std::string path;
    Bytes data;
    try {
        DialogSettings settings{kCompileDialogTitle, kCompileDialogFilter,
                                Charset::toUtf8(Charset::decodeText(doc_.VarName)) +
                                    kStringFileExtension};
        path = services_.dlgString->showSave(settings).path;
        if (path.empty()) {
            return;
        }
        data = buildStringData(doc_.text());
    } catch (const std::exception&) {
        return;
    }
    SaveStr(path, data);
}

} // namespace vellum
