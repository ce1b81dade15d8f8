#pragma once
// What the fuzz targets share: a check that stops the run with a message, and
// a compile through the real writer into memory, with the fixed clock and the
// scripted boxes of tests/support, at the speed of a function call.

#include "commands/StringWriter.h"
#include "formats/StringFile.h"
#include "io/ByteFiles.h"
#include "tests/support/Scripted.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

// A string file as the compile command writes it for this name and text (the
// editor's text, CR LF line ends), through the real writer. Empty when the
// writer refused to write it; boxes then holds the failure boxes (each
// answered No).
inline std::string compileString(const Bytes& name, const Bytes& text,
                                 support::ScriptedBoxes& boxes) {
    std::string compiled;
    io::BufferedFiles files([&compiled](const std::string&, std::string bytes) -> Result<void> {
        compiled = std::move(bytes);
        return {};
    });
    support::FixedClock clock;
    (void)writeStringFile({files, boxes, clock}, "compiled.85s", name, buildStringData(text));
    return compiled;
}

} // namespace vellum::fuzz
