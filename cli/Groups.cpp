// Group files (.85g) in vellum-cli: check lists their entries, decompile
// writes one document per string, compile --group puts several documents into
// one group. Every string goes through the same code as a string file of its
// own: the checker, the editor's loader and the text save see the file that
// would carry that string alone.

#include "Commands.h"

#include "commands/Editor.h"
#include "commands/Messages.h"
#include "core/Document.h"
#include "formats/StringCheck.h"
#include "formats/TextDocument.h"
#include "formats/VariableFile.h"
#include "io/Files.h"

#include <cerrno>
#include <map>
#include <ostream>
#include <set>

namespace vellum::cli {

namespace {

std::string shownName(const Bytes& name) {
    return "\"" + Charset::toUtf8(Charset::decodeText(name)) + "\"";
}

std::string entryLine(std::size_t number, const VariableEntry& entry) {
    return "entry " + std::to_string(number) + ": " + describeType(entry.type) + " " +
           shownName(entry.name) + ", " + std::to_string(entry.data.size()) + " bytes";
}

// The file name of a variable's document: its name as the window shows it,
// with the characters no file name may hold (on any system) turned into "_",
// so that no name reaches outside the folder.
std::string documentNameFor(const Bytes& varName) {
    std::u32string name = Charset::decodeText(varName);
    for (char32_t& c : name) {
        if (c < 0x20 || c == 0x7F ||
            std::u32string_view(U"/\\:*?\"<>|").find(c) != std::u32string_view::npos) {
            c = U'_';
        }
    }
    // Nor may a name be only dots, or a device of Windows (nul.vlm is the
    // device there, whatever the extension): those get a "_" in front, on
    // every system alike.
    static const std::set<std::u32string> kDevices = {
        U"con",  U"prn",  U"aux",  U"nul",  U"com1", U"com2", U"com3", U"com4",
        U"com5", U"com6", U"com7", U"com8", U"com9", U"lpt1", U"lpt2", U"lpt3",
        U"lpt4", U"lpt5", U"lpt6", U"lpt7", U"lpt8", U"lpt9"};
    if (name.find_first_not_of(U'.') == std::u32string::npos ||
        kDevices.count(name.substr(0, name.find(U'.'))) > 0) {
        name.insert(0, U"_");
    }
    return Charset::toUtf8(name) + ".vlm";
}

struct ReadGroup {
    VariableFile file;
    std::string failure; // the file could not be read
};

ReadGroup readGroup(const std::string& path) {
    const Result<io::FileInfo> info = io::fileInfo(path);
    if (info.ok() && info.value().kind == io::FileKind::Missing) {
        return {{}, Failure::fromErrno(ENOENT).text};
    }
    const Result<std::string> head = io::readPrefix(path, variablefile::kReadLimit);
    if (!info.ok() || !head.ok()) {
        return {{}, (head.ok() ? info.failure() : head.failure()).text};
    }
    return {readVariableFile(head.value(), info.value().size), {}};
}

} // namespace

bool checkGroup(const std::string& path, Io io) {
    const ReadGroup read = readGroup(path);
    if (!read.failure.empty()) {
        io.out << path << ": cannot be read: " << read.failure << '\n';
        return false;
    }
    std::string damagedString;
    std::size_t number = 0;
    for (const VariableEntry& entry : read.file.entries) {
        io.out << path << ": " << entryLine(++number, entry);
        if (entry.type == stringfile::kStringType) {
            const StringCheckResult alone = checkStringFile(fileOfEntryAlone(read.file, entry));
            if (!alone.valid) {
                io.out << ", damaged: " << alone.problem;
                damagedString = damagedString.empty() ? "the string of entry " +
                                                            std::to_string(number) + " is damaged"
                                                      : damagedString;
            } else if (alone.viewerLayout) {
                io.out << ", in the viewer's layout";
            } else {
                io.out << ", not in the viewer's layout: " << alone.layoutProblem;
            }
        }
        io.out << '\n';
    }
    const std::string problem = read.file.sound() ? damagedString : read.file.problem;
    if (!problem.empty()) {
        io.out << path << ": invalid: " << problem << '\n';
        return false;
    }
    io.out << path << ": valid group of " << number << (number == 1 ? " variable" : " variables")
           << '\n';
    return true;
}

int decompileGroup(const std::string& input, const std::optional<std::string>& outputFolder,
                   std::optional<TextEncoding> encoding, bool lenient, Io io) {
    const std::string folder =
        outputFolder.value_or(io::pathToUtf8(io::pathFromUtf8(input).parent_path()));
    const Result<io::FileInfo> folderInfo = io::fileInfo(folder.empty() ? "." : folder);
    if (!folderInfo.ok() || folderInfo.value().kind != io::FileKind::Folder) {
        report(io, folder + ": not a folder; for a group -o names the folder that receives "
                            "one document per string");
        return kExitFailure;
    }
    const ReadGroup read = readGroup(input);
    if (!read.failure.empty()) {
        report(io, input + ": " + read.failure);
        return kExitFailure;
    }
    if (!read.file.sound()) {
        if (!lenient || read.file.entries.empty()) {
            report(io, input + ": damaged: " + read.file.problem +
                           (lenient ? "; nothing written"
                                    : "; nothing written (--lenient writes the strings that "
                                      "can be found)"));
            return kExitFailure;
        }
        report(io, input + ": warning: damaged: " + read.file.problem +
                       "; writing the strings that can be found");
    }

    // Every document is made before anything is written, so that two strings
    // that would write one file stop the whole group.
    bool allStrings = true;
    std::map<std::string, std::size_t> numberOf; // output to entry number
    std::vector<std::pair<std::string, std::string>> documents;
    std::size_t number = 0;
    for (const VariableEntry& entry : read.file.entries) {
        const std::string label = input + ": " + entryLine(++number, entry);
        if (entry.type != stringfile::kStringType) {
            report(io, label + ": not a string; skipped");
            continue;
        }
        const Bytes alone = fileOfEntryAlone(read.file, entry);
        const StringCheckResult checked = checkStringFile(alone);
        const std::string why = !checked.valid
                                    ? "damaged: " + checked.problem
                                    : "not in the viewer's layout: " + checked.layoutProblem;
        if (!checked.valid || !checked.viewerLayout) {
            if (!lenient) {
                report(io, label + ": " + why + "; skipped");
                allStrings = false;
                continue;
            }
            report(io, label + ": warning: " + why + "; writing what the editor would load");
        }
        Document doc;
        UnattendedBoxes boxes;
        Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
        if (!editor.LoadStringBytes(alone, Document::TitleFromFileName(io::fileNameOf(input)))
                 .ok()) {
            report(io, label + ": not a valid Scrollet string; skipped");
            allStrings = false;
            continue;
        }
        const std::string output = io::pathToUtf8(io::pathFromUtf8(folder) /
                                                  io::pathFromUtf8(documentNameFor(doc.VarName)));
        if (const auto [earlier, fresh] = numberOf.emplace(output, number); !fresh) {
            report(io, input + ": entries " + std::to_string(earlier->second) + " and " +
                           std::to_string(number) + " would both write " + output +
                           "; nothing written");
            return kExitFailure;
        }
        documents.emplace_back(output, formatTextDocument(doc.VarName, doc.text(), true,
                                                          encoding.value_or(doc.Encoding)));
    }

    io::ReplaceBatch batch;
    bool allWritten = true;
    for (const auto& [output, bytes] : documents) {
        if (const Result<void> added = batch.add(output, bytes); !added.ok()) {
            report(io, input + ": cannot write " + output + ": " + added.failure().text);
            allWritten = false;
        }
    }
    for (const io::ReplaceBatch::Outcome& outcome : batch.finish()) {
        if (!outcome.result.ok()) {
            report(io, input + ": cannot write " + outcome.target + ": " +
                           outcome.result.failure().text);
            allWritten = false;
        }
    }
    return allStrings && allWritten ? kExitOk : kExitFailure;
}

int compileGroup(const std::string& output, const std::vector<std::string>& inputs,
                 const std::optional<std::string>& name, std::optional<TextEncoding> encoding,
                 Clock& clock, Io io) {
    std::vector<VariableEntry> entries;
    std::map<Bytes, std::string> inputOf; // variable name to input
    bool allRead = true;
    for (const std::string& input : inputs) {
        if (input != kStandardStream && output != kStandardStream && io::sameFile(input, output)) {
            report(io, input + ": " + outputIsTheInput(output));
            return kExitFailure;
        }
        Document doc;
        UnattendedBoxes boxes;
        Editor editor(doc, {nullptr, nullptr, &boxes, nullptr, nullptr});
        const CommandOutcome loaded =
            input == kStandardStream
                ? loadStandardInput(editor, encoding)
                : editor.LoadText(input, Document::TitleFromFileName(io::fileNameOf(input)),
                                  encoding);
        if (!loaded.ok()) {
            report(io, input + ": " + loaded.failure().text);
            allRead = false;
            continue;
        }
        if (const std::size_t replaced = editor.replacedByLastLoad(); replaced > 0) {
            report(io, input + ": " + messages::replacedCharacters(replaced));
        }
        if (name) {
            doc.VarName = Charset::encodeText(Charset::fromUtf8(*name));
            doc.RefreshStatus(); // cuts the name to 8 characters
        }
        doc.VarName = Document::storableName(doc.VarName);
        const Bytes data = buildStringData(doc.text());
        if (doc.VarName.size() + data.size() > stringfile::kMaxNamePlusData) {
            report(io, input + ": its string and name take " +
                           std::to_string(doc.VarName.size() + data.size()) +
                           " bytes, more than the " + std::to_string(stringfile::kMaxNamePlusData) +
                           " a TI-85 string file holds");
            allRead = false;
            continue;
        }
        if (const auto [earlier, fresh] = inputOf.emplace(doc.VarName, input); !fresh) {
            report(io, input + ": the variable name " + shownName(doc.VarName) +
                           " is also that of " + earlier->second +
                           " (the calculator would keep only one)");
            allRead = false;
            continue;
        }
        VariableEntry entry;
        entry.type = stringfile::kStringType;
        entry.name = doc.VarName;
        entry.data = stringVariableData(data);
        entries.push_back(std::move(entry));
    }
    if (!allRead) {
        report(io, output + ": nothing written");
        return kExitFailure;
    }
    if (const std::size_t section = sectionLength(entries);
        section > variablefile::kMaxSectionLength) {
        report(io, output + ": the strings take " + std::to_string(section) +
                       " bytes, more than the " + std::to_string(variablefile::kMaxSectionLength) +
                       " of a group file's 16-bit length; nothing written");
        return kExitFailure;
    }
    const Result<ClockReading> now = clock.now();
    if (!now.ok()) {
        report(io, output + ": no time for the comment: " + now.failure().text);
        return kExitFailure;
    }
    const Result<Bytes> file =
        layOutVariableFile(buildComment(now.value().time, now.value().date), entries);
    if (!file.ok()) {
        report(io, output + ": " + file.failure().text + "; nothing written");
        return kExitFailure;
    }
    const std::optional<io::NativeHandle> stream = outputStream(output);
    const Result<void> written =
        stream ? io::writeStream(*stream, file.value()) : io::replaceFile(output, file.value());
    if (!written.ok()) {
        report(io, "cannot write " + output + ": " + written.failure().text);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vellum::cli
