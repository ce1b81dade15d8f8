// Compiling a text at the size limit: the whole compile command (dialog,
// conversion, the seventeen writer steps on a real file, checksum reread), in
// process.
//
//   ./run.sh bench   or   build/bench/vellum-bench --benchmark_filter=Compile

#include "commands/Editor.h"
#include "core/Document.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Scripted.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace vellum;

// A text of lines of 38 characters and CR LF whose converted length is
// exactly `converted` bytes.
Bytes textConvertingTo(std::size_t converted) {
    Bytes text;
    std::size_t length = 0;
    while (length < converted) {
        if (length % 39 == 38) {
            text += "\r\n";
        } else {
            text += static_cast<char>('a' + length % 26);
        }
        ++length;
    }
    return text;
}

// Name "untitled" (n = 8): the longest text is 32,696 - 8 bytes once
// converted, a file of exactly 32,767 bytes.
void BM_CompileAtLimit(benchmark::State& state) {
    const std::size_t converted = stringfile::kMaxNamePlusData - 8 - 2;
    Document doc;
    doc.setText(textConvertingTo(converted));
    const support::ScratchFolder folder;
    const std::string path = folder / "bench.85s";
    support::ScriptedDialog dialog;
    support::ScriptedBoxes boxes;
    support::FixedClock clock;
    io::DiskFiles files;
    Editor editor(doc, {nullptr, &dialog, &boxes, &clock, &files});

    bool written = true;
    for (auto _ : state) {
        dialog.choose(path);
        written = isDone(editor.cmdString_Click()) && written;
    }
    const auto size = std::filesystem::file_size(path);
    if (!written || !boxes.critical.empty() || size != stringfile::kMaxFileSize) {
        state.SkipWithError("the compile did not write a full-size file");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_CompileAtLimit)->Unit(benchmark::kMicrosecond);

// The conversion alone, for comparison.
void BM_BuildStringDataAtLimit(benchmark::State& state) {
    const Bytes text = textConvertingTo(stringfile::kMaxNamePlusData - 8 - 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildStringData(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BuildStringDataAtLimit)->Unit(benchmark::kMicrosecond);

} // namespace
