// Loading text documents: LoadText must stay linear in the size of the file,
// however many lines it has (the text is assembled once, not re-read and
// re-set per line).
//
//   ./run.sh bench   or   build/bench/vellum-bench --benchmark_filter=LoadText

#include "commands/Editor.h"
#include "core/Document.h"
#include "formats/StringReader.h"
#include "formats/TextDocument.h"
#include "tests/support/ScratchFolder.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace vellum;

// A plain text of about `size` bytes in lines of 40 characters and CR LF.
std::string textOfSize(std::size_t size) {
    std::string text;
    text.reserve(size + 64);
    std::size_t line = 0;
    while (text.size() < size) {
        text += "line " + std::to_string(line++) + std::string(30, 'x') + "\r\n";
    }
    return text;
}

// The whole load as the Load command runs it: read, split, set the text box,
// refresh the status.
void BM_LoadText(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const support::ScratchFolder folder;
    const std::string path = folder / "load.txt";
    support::writeBytes(path, textOfSize(size));
    for (auto _ : state) {
        Document doc;
        Editor editor(doc, {});
        const CommandOutcome result = editor.LoadText(path, "bench");
        benchmark::DoNotOptimize(result.ok());
        benchmark::DoNotOptimize(doc.textBox().characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadText)
    ->Arg(1 << 20)
    ->Arg(5 << 20)
    ->Arg(10 << 20)
    ->Arg(20 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The same text as a single line with lone LFs: nothing to split.
void BM_LoadTextOneLine(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const support::ScratchFolder folder;
    const std::string path = folder / "oneline.txt";
    support::writeBytes(path, std::string(size, 'a') + "\n");
    for (auto _ : state) {
        Document doc;
        Editor editor(doc, {});
        benchmark::DoNotOptimize(editor.LoadText(path, "bench").ok());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_LoadTextOneLine)->Arg(5 << 20)->Unit(benchmark::kMillisecond);

// Splitting alone, without the file system.
void BM_ParseTextDocument(benchmark::State& state) {
    const std::string text = textOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseTextDocument(text, false));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseTextDocument)->Arg(5 << 20)->Unit(benchmark::kMillisecond);

// Decoding the largest string the reader takes.
void BM_DecodeStringFile(benchmark::State& state) {
    std::string file(67, '\0');
    file[66] = '\xEF';
    file[63] = '\xFF';
    file[64] = '\x7F';
    for (int i = 0; i < 0x7FFF; ++i) {
        file += (i % 40 == 39) ? '\n' : 'a';
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeStringFile(file));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeStringFile);

} // namespace
