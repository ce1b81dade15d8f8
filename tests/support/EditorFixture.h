#pragma once
// An editor without a window: a document as start-up leaves it, the real
// commands over scripted dialogs and boxes, and files in a scratch folder.

#include "commands/Clocks.h"
#include "commands/Editor.h"
#include "io/ByteFiles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"

#include <gtest/gtest.h>

#include <string>

namespace vellum::support {

struct EditorFixture : ::testing::Test {
    ScratchFolder folder;
    ScriptedDialog dlgFile;
    ScriptedDialog dlgString;
    ScriptedBoxes boxes;
    FixedUtcClock clock{1796595330}; // 2026-12-06 22:15:30 UTC
    io::DiskFiles files;
    Document doc;
    Editor editor{doc, EditorServices{&dlgFile, &dlgString, &boxes, &clock, &files}};

    EditorFixture() { doc.resetToNew(); }

    void type(const Bytes& text) { doc.setText(text); }

    // Compiles the text under the name with the compile command and returns
    // the file's bytes.
    std::string compile(const Bytes& name, const Bytes& text, const std::string& path) {
        doc.VarName = name;
        doc.setText(text);
        dlgString.choose(path);
        (void)editor.cmdString_Click();
        return readBytes(path);
    }

    // The document fields and captions a failed command must leave alone.
    struct Snapshot {
        Bytes text, VarName, DocTitle;
        std::string DocPath;
        bool IsSaved, HasPath;
        Bytes nameBox, lblFileName;
        std::string lblSave, lblSize;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const {
        return {doc.text(),  doc.VarName,   doc.DocTitle,      doc.DocPath,   doc.IsSaved,
                doc.HasPath, doc.nameBox(), doc.lblFileName(), doc.lblSave(), doc.lblSize()};
    }
};

} // namespace vellum::support
