#pragma once
// What the fuzz targets share: a check that stops the run with a message, and
// the writer's surroundings kept in memory (files, a clock, message boxes), so
// that a target can compile a string file through the real writer at the speed
// of a function call.

#include "formats/Editor.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::fuzz {

// Stops the run (libFuzzer then keeps the input) when an invariant is broken.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

class FixedClock final : public Clock {
  public:
    std::string timeText() override { return "10:15:30 PM"; }
    std::string dateText() override { return "12/6/2026"; }
};

// Records every failure box and answers No, so a failed write leaves no file.
class RecordingBoxes final : public MessageBoxes {
  public:
    std::vector<std::string> titles;

    Answer askYesNoCancel(const std::string&, const std::string& title) override {
        titles.push_back(title);
        return Answer::Cancel;
    }
    bool askYesNoCritical(const std::string&, const std::string& title) override {
        titles.push_back(title);
        return false;
    }
    void showError(const std::string&, const std::string& title) override {
        titles.push_back(title);
    }
};

// A string file as the compile command writes it for this name and text (the
// editor's text, CR LF line ends), through the real writer. Empty when the
// writer refused to write it; boxes then holds the failure titles.
inline std::string compileString(const Bytes& name, const Bytes& text, RecordingBoxes& boxes) {
    std::string compiled;
    io::BufferedFiles files([&compiled](const std::string&, std::string bytes) -> Result<void> {
        compiled = std::move(bytes);
        return {};
    });
    FixedClock clock;
    writeStringFile({files, boxes, clock}, "compiled.85s", name, buildStringData(text));
    return compiled;
}

} // namespace vellum::fuzz
