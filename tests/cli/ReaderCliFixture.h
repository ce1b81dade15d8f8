#pragma once
// In-process runs of the reading subcommands (decompile, check) over files
// that the editor's own compile command writes.

#include "cli/Commands.h"

#include "tests/support/EditorFixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace vellum::support {

struct CliOutcome {
    int status;
    std::string out;
    std::string err;
};

struct ReaderCliFixture : EditorFixture {
    CliOutcome run(int (*command)(const cli::Args&, cli::Io), const cli::Args& args) {
        std::ostringstream out, err;
        const int status = command(args, {out, err});
        return {status, out.str(), err.str()};
    }
    CliOutcome decompile(const cli::Args& args) { return run(cli::decompile, args); }
    CliOutcome check(const cli::Args& args) { return run(cli::check, args); }

    // A file as the editor compiles it, in the scratch folder.
    std::string stringFile(const std::string& name, const Bytes& varName, const Bytes& text) {
        const std::string path = folder / name;
        compile(varName, text, path);
        return path;
    }
};

} // namespace vellum::support
