// Compiling a text at the size limit: the whole compile command (dialog,
// conversion, the seventeen writer steps on a real file, checksum reread), in
// process.
//
//   ./run.sh bench   or   build/bench/vellum-bench --benchmark_filter=Compile

#include "core/Document.h"
#include "formats/Editor.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace vellum;

struct TargetDialog final : FileDialog {
    std::string path;
    FileChoice showOpen(const DialogSettings&) override { return {path, "bench.85s"}; }
    FileChoice showSave(const DialogSettings&) override { return {path, "bench.85s"}; }
};

struct CountingBoxes final : MessageBoxes {
    int failures = 0;
    Answer askYesNoCancel(const std::string&, const std::string&) override {
        return Answer::Cancel;
    }
    bool askYesNoCritical(const std::string&, const std::string&) override {
        ++failures;
        return false;
    }
    void showError(const std::string&, const std::string&) override {}
};

struct SteadyClock final : Clock {
    std::string timeText() override { return "10:15:30 PM"; }
    std::string dateText() override { return "12/6/2026"; }
};

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
    TargetDialog dialog;
    dialog.path = (std::filesystem::temp_directory_path() /
                   ("vellum-bench-" + std::to_string(::getpid()) + ".85s"))
                      .string();
    CountingBoxes boxes;
    SteadyClock clock;
    io::DiskFiles files;
    Editor editor(doc, {nullptr, &dialog, &boxes, &clock, &files});

    for (auto _ : state) {
        editor.cmdString_Click();
    }
    const auto size = std::filesystem::file_size(dialog.path);
    std::filesystem::remove(dialog.path);
    if (boxes.failures != 0 || size != stringfile::kMaxFileSize) {
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
