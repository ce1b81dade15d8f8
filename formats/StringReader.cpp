#include "formats/StringReader.h"

#include "formats/Editor.h"
#include "formats/TextDocument.h"
#include "io/Files.h"

#include <cstdint>

namespace vellum {

namespace {

// A byte of the file; past its end the file reads as zeros.
std::uint8_t byteAt(std::string_view file, std::size_t offset) {
    return offset < file.size() ? static_cast<std::uint8_t>(file[offset]) : 0;
}

// `count` bytes from `offset`, zero-filled past the end of the file.
Bytes bytesAt(std::string_view file, std::size_t offset, std::size_t count) {
    Bytes out(count, '\0');
    if (offset < file.size()) {
        file.substr(offset, count).copy(out.data(), count);
    }
    return out;
}

StringDecode failed(std::string reason) {
    StringDecode result;
    result.status = StringDecode::Status::Failed;
    result.reason = std::move(reason);
    return result;
}

} // namespace

StringDecode decodeStringFile(std::string_view file) {
    const std::size_t n = byteAt(file, stringfile::kNameLengthOffset);
    // Positions beyond the last one a byte can count are out of reach: the
    // marker of a name of 189 bytes or more cannot even be looked at.
    if (stringfile::markerOffset(n) > kLastReadableOffset) {
        return failed("a name of " + std::to_string(n) +
                      " bytes puts the marker beyond the readable positions");
    }
    if (byteAt(file, stringfile::markerOffset(n)) != stringfile::kScrolletMarker) {
        StringDecode result;
        result.status = StringDecode::Status::Refused;
        return result;
    }
    if (textOffset(n) > kLastReadableOffset) {
        return failed("a name of " + std::to_string(n) +
                      " bytes puts the text beyond the readable positions");
    }
    // The length word is signed; below 2 it does not even cover 00 EF.
    const auto length = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(byteAt(file, stringfile::stringLengthOffset(n)) |
                                   (byteAt(file, stringfile::stringLengthOffset(n) + 1) << 8)));
    if (length < 2) {
        return failed("string length " + std::to_string(length) + " is below 2");
    }

    StringDecode result;
    result.status = StringDecode::Status::Accepted;
    result.name = Charset::toLower(bytesAt(file, stringfile::kNameOffset, n));
    const Bytes raw = bytesAt(file, textOffset(n), static_cast<std::size_t>(length) - 2);
    // NULs vanish (the closing pair and any inside the text); LF becomes CR LF.
    result.text.reserve(raw.size() * 2);
    for (const char c : raw) {
        if (c == '\0') {
            continue;
        }
        if (c == '\n') {
            result.text += '\r';
        }
        result.text += c;
    }
    return result;
}

LoadResult Editor::LoadString(const std::string& path, const Bytes& title) {
    LoadResult result;
    Result<std::string> read = io::readPrefix(path, kStringReadLimit);
    // A path that names no file reads as an empty file (and is then refused).
    if (!read.ok() && !io::isMissing(read.failure())) {
        result.reason = read.failure().text;
        return result;
    }
    StringDecode decoded = decodeStringFile(read.ok() ? read.value() : std::string());
    switch (decoded.status) {
    case StringDecode::Status::Refused:
        if (services_.boxes != nullptr) {
            services_.boxes->showError(kNotScrolletMessage, kNotScrolletTitle);
        }
        result.status = LoadResult::Status::Refused;
        return result;
    case StringDecode::Status::Failed:
        result.reason = decoded.reason;
        return result;
    case StringDecode::Status::Accepted:
        break;
    }

    doc_.DocTitle = title;
    doc_.VarName = std::move(decoded.name);
    doc_.HasPath = false;
    doc_.setText(decoded.text);
    // A string load always ends modified, even when the text did not change.
    doc_.IsSaved = false;
    doc_.RefreshStatus();
    result.status = LoadResult::Status::Loaded;
    return result;
}

void Editor::cmdLoadS_Click() {
    // Loading replaces the text: unsaved work is offered for saving first.
    if (!doc_.confirmDiscard() || services_.dlgFile == nullptr) {
        return;
    }
    const FileChoice choice =
        services_.dlgFile->showOpen({kStringDialogTitle, kStringDialogFilter, ""});
    if (choice.cancelled()) {
        return;
    }
    const std::optional<Bytes> title = Document::TitleFromFileName(choice.fileTitle);
    if (!title) {
        return;
    }
    LoadString(choice.path, *title);
}

} // namespace vellum
