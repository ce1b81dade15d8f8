// Compile: the text into a TI-85 string file, through the writer.

#include "Editor.h"

#include "Messages.h"
#include "StringWriter.h"
#include "formats/StringFile.h"

#include <cerrno>
#include <exception>
#include <new>

namespace vellum {

CommandOutcome Editor::SaveStr(const std::string& FName, const Bytes& Data) {
    if (services_.files == nullptr || services_.boxes == nullptr || services_.clock == nullptr) {
        return Failure{ENOSYS, messages::kNoFileAccess};
    }
    return writeStringFile({*services_.files, *services_.boxes, *services_.clock}, FName,
                           Document::storableName(doc_.VarName), Data);
}

std::size_t Editor::stringDataSize() const {
    // Data is the lead-in and the text with each CR LF as one LF: a byte per
    // character the text box counts.
    return stringfile::kLeadIn.size() + doc_.textBox().characterCount();
}

std::size_t Editor::largestStringData() const {
    const std::size_t n = Document::storableName(doc_.VarName).size();
    return n < stringfile::kMaxNamePlusData ? stringfile::kMaxNamePlusData - n : 0;
}

bool Editor::textTooLongForString() const {
    return stringDataSize() > largestStringData();
}

CommandOutcome Editor::cmdString_Click() {
    if (services_.dlgString == nullptr) {
        return Completion::Cancelled;
    }
    // Said once, before the dialog: the writer would only fail step by step.
    if (textTooLongForString()) {
        const std::string message =
            messages::tooLongForString(stringDataSize(), largestStringData());
        return fail(Failure{EFBIG, message}, message);
    }
    std::string path;
    Bytes data;
    // The dialog, the text and Data come before anything is written. Running
    // out of memory for a huge text is said, not swallowed.
    try {
        const DialogSettings settings{
            messages::kCompileDialogTitle, messages::kCompileDialogFilter,
            Charset::toUtf8(Charset::decodeText(Document::storableName(doc_.VarName))) +
                kStringFileExtension};
        path = services_.dlgString->showSave(settings).path;
        if (path.empty()) {
            return Completion::Cancelled;
        }
        doc_.textBox().withText([&data](std::string_view text) { data = buildStringData(text); });
    } catch (const std::bad_alloc&) {
        const Failure failure = Failure::fromErrno(ENOMEM);
        return fail(failure, messages::cannotCompile(failure.text));
    } catch (const std::exception& e) {
        return fail(Failure{EIO, e.what()}, messages::cannotCompile(e.what()));
    }
    return SaveStr(path, data);
}

} // namespace vellum
