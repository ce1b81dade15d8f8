#include "ProgramPath.h"

#include "io/Files.h"

#include <filesystem>
#include <system_error>

namespace vellum {

namespace fs = std::filesystem;

ProgramLocation locationOfProgram(std::string_view utf8Path) {
    fs::path path = io::pathFromUtf8(utf8Path);
    std::error_code error;
    if (const fs::path absolute = fs::absolute(path, error); !error) {
        path = absolute;
    }
    path.make_preferred();
    ProgramLocation location;
    location.folder = io::pathToUtf8(path.parent_path());
    location.name = io::pathToUtf8(path.filename());
    location.separator = static_cast<char>(fs::path::preferred_separator);
    return location;
}

} // namespace vellum
