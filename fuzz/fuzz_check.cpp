// The strict validator of `vellum-cli check`, on any bytes.
//
// - It judges only what it has seen: a head shorter than the file is never
//   valid, and no valid file is longer than its read limit.
// - A file it accepts in the viewer's layout is one the editor reads: the
//   reader yields the stored name, lower-cased, and the text between 00 EF and
//   00 00 with NULs removed and LF made CR LF.
// - Such a file is, but for its comment, the file the writer makes from what
//   the reader read, whenever that reading lost nothing (no NUL in the text,
//   a name that is already lower case).
#include "FuzzSupport.h"

#include "formats/StringCheck.h"
#include "formats/StringReader.h"

using namespace vellum;
using vellum::fuzz::require;

namespace {

Bytes readerText(std::string_view body) {
    Bytes text;
    for (const char c : body) {
        if (c == '\n') {
            text += "\r\n";
        } else if (c != '\0') {
            text += c;
        }
    }
    return text;
}

void checkAcceptedFile(std::string_view file, const StringCheckResult& checked) {
    const std::size_t n = checked.name.size();
    require(file.size() == stringfile::fileSize(n, checked.stringLength - 2),
            "a valid file is as long as its lengths say");
    require(checked.name == file.substr(stringfile::kNameOffset, n), "the name is as stored");
    if (!checked.viewerLayout) {
        require(!checked.layoutProblem.empty(), "a layout problem is named");
        return;
    }
    const std::string_view body = file.substr(stringfile::dataOffset(n), checked.stringLength);
    const std::string_view storedText = body.substr(2, body.size() - 4);

    // What the editor does with the file: it reads at most its read limit.
    const Result<DecodedString> decoded = decodeStringFile(file.substr(0, kStringReadLimit));
    require(decoded.ok(), "the reader reads every file the validator accepts");
    const DecodedString& read = decoded.value();
    require(read.name == Charset::toLower(checked.name), "the reader's name is the stored one");
    require(read.text == readerText(storedText), "the reader's text is the stored one");

    if (storedText.find('\0') != std::string_view::npos || read.name != checked.name) {
        return; // the reading lost something; the writer cannot give it back
    }
    support::ScriptedBoxes boxes;
    const std::string compiled = fuzz::compileString(read.name, read.text, boxes);
    require(boxes.critical.empty(), "what the reader read from a valid file compiles");
    require(compiled.size() == file.size(), "the compiled file has the same size");
    const std::size_t commentEnd = stringfile::kCommentOffset + stringfile::kCommentLength;
    require(compiled.substr(0, stringfile::kCommentOffset) ==
                    file.substr(0, stringfile::kCommentOffset) &&
                compiled.substr(commentEnd) == file.substr(commentEnd),
            "a valid file in the viewer's layout is what the writer makes of its text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file = fuzz::asBytes(data, size);
    const StringCheckResult checked = checkStringFile(file);
    require(checked.valid == checked.problem.empty(), "a problem is named exactly when invalid");

    // vellum-cli reads at most the read limit and passes the real size.
    if (size > kCheckReadLimit) {
        require(!checked.valid, "no valid file is longer than the read limit");
        require(!checkStringFile(file.substr(0, kCheckReadLimit), size).valid,
                "a file beyond the read limit is not valid");
    }
    // A head that misses part of the file is never enough.
    if (size > 0) {
        const StringCheckResult partial = checkStringFile(file.substr(0, size / 2), size);
        require(!partial.valid, "a file that was not seen whole is not valid");
    }

    if (!checked.valid) {
        return 0;
    }
    checkAcceptedFile(file, checked);
    return 0;
}
