#include "ProgramPath.h"

#include "io/Files.h"

namespace vellum {

std::string_view editorFileName() {
    return "vellum";
}

std::string runningExecutable() {
    // The system's link to the running program.
    Result<std::string> self = io::followLinks("/proc/self/exe");
    return self.ok() ? self.value() : std::string();
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

} // namespace vellum
