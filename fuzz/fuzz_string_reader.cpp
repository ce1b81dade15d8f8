// Bytes in, a name and a text (or a refusal, or a failure) out.
//
// Whatever the reader reads must compile again: the writer turns that name
// and text into a file that the reader reads back to the same name and text
// and that the strict validator accepts in the viewer's layout, unless the
// text is too long for the calculator, which the writer reports as its
// overflow failure. And whenever the validator accepts a file in the viewer's
// layout, the reader reads it.
//
// The same bytes read as a file of any number of variables (a group): the
// entries found lie one after another within the file; a sound file is
// exactly what the writer lays out from its comment and entries; a valid
// string file is a sound file of one string; and each entry, as the file that
// would carry it alone, reads back as that entry.
#include "FuzzSupport.h"

#include "formats/StringCheck.h"
#include "formats/StringReader.h"
#include "formats/VariableFile.h"

using namespace vellum;
using vellum::fuzz::require;

namespace {

// Both rules of the reader's text: no NUL, and every LF follows a CR.
bool isReaderText(const Bytes& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))) {
            return false;
        }
    }
    return true;
}

void compileAgain(const DecodedString& read) {
    support::ScriptedBoxes boxes;
    const std::string file = fuzz::compileString(read.name, read.text, boxes);
    const std::size_t dataSize = buildStringData(read.text).size();
    if (read.name.size() + dataSize > stringfile::kMaxNamePlusData) {
        // Too long for the calculator: the writer stops with its overflow
        // failure, and the No that the boxes answer leaves no file.
        require(!boxes.critical.empty() &&
                    boxes.critical.front().title == "Error " + std::to_string(kOverflowNumber),
                "an oversized text is refused with the overflow failure");
        require(file.empty(), "an abandoned write leaves no file");
        return;
    }
    require(boxes.critical.empty(), "a text within the limits compiles without a failure");
    require(file.size() == stringfile::fileSize(read.name.size(), dataSize),
            "the compiled file has the layout's size");

    const Result<DecodedString> back = decodeStringFile(file);
    require(back.ok(), "the reader reads what the writer wrote from what it read");
    require(back.value().name == read.name, "the name survives a compile");
    require(back.value().text == read.text, "the text survives a compile");

    const StringCheckResult checked = checkStringFile(file);
    if (read.name.empty()) {
        // No calculator can store a string without a name: the editor and
        // vellum-cli name it "untitled" before they get here.
        require(!checked.valid, "the validator refuses a string without a name");
        return;
    }
    require(checked.valid, "the validator accepts a compiled file");
    require(checked.viewerLayout, "a compiled file has the viewer's layout");
    require(checked.name == read.name, "the validator sees the compiled name");
}

// The same name and text, or a failure of the same kind.
bool sameDecoding(const Result<DecodedString>& a, const Result<DecodedString>& b) {
    if (a.ok() != b.ok()) {
        return false;
    }
    return a.ok() ? a.value().name == b.value().name && a.value().text == b.value().text
                  : a.failure().kind == b.failure().kind;
}

void readAsGroup(std::string_view file, const StringCheckResult& checked) {
    const VariableFile group = readVariableFile(file);
    if (file.size() > variablefile::kReadLimit) {
        const VariableFile head =
            readVariableFile(file.substr(0, variablefile::kReadLimit), file.size());
        require(head.problem == group.problem && head.entries.size() == group.entries.size(),
                "bytes beyond the group read limit change nothing");
    }
    require(group.sound() || !group.problem.empty(), "a problem is named exactly when unsound");
    require(!group.sound() || !group.entries.empty(), "a sound file holds a variable");
    std::size_t next = stringfile::kSectionOffset;
    for (const VariableEntry& entry : group.entries) {
        require(entry.offset == next, "the entries follow one another");
        next += variablefile::kEntryFixedBytes + entry.name.size() + entry.data.size();
        require(next <= file.size(), "an entry lies within the file");
        const VariableFile alone = readVariableFile(fileOfEntryAlone(group, entry));
        require(alone.entries.size() == 1 && alone.entries[0].type == entry.type &&
                    alone.entries[0].name == entry.name && alone.entries[0].data == entry.data,
                "an entry alone reads back as itself");
    }
    if (group.sound()) {
        const Result<Bytes> laid = layOutVariableFile(group.comment, group.entries);
        require(laid.ok() && laid.value() == file,
                "a sound file is what the writer lays out from its entries");
    }
    if (checked.valid) {
        require(group.sound() && group.entries.size() == 1 &&
                    group.entries[0].type == stringfile::kStringType &&
                    group.entries[0].name == checked.name,
                "a valid string file is a sound file of one string");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file = fuzz::asBytes(data, size);
    const Result<DecodedString> read = decodeStringFile(file);

    // The reader never looks beyond its read limit: the editor reads no more.
    if (file.size() > kStringReadLimit) {
        const Result<DecodedString> head = decodeStringFile(file.substr(0, kStringReadLimit));
        require(sameDecoding(head, read), "bytes beyond the read limit change nothing");
    }

    const StringCheckResult checked = checkStringFile(file);
    readAsGroup(file, checked);
    if (checked.valid && checked.viewerLayout) {
        require(read.ok(), "the reader reads every file the validator accepts");
    }

    if (!read.ok()) {
        require(read.failure().kind == FailureKind::Refused || !read.failure().text.empty(),
                "a failure says why");
        return 0;
    }
    const DecodedString& string = read.value();
    require(string.name.size() <= 187, "names beyond the readable positions are never read");
    require(Charset::toLower(string.name) == string.name, "the name is lower-cased");
    require(isReaderText(string.text), "the text has no NUL and CR LF line ends");
    compileAgain(string);
    return 0;
}
