#include "Environment.h"

#include <process.h>

#include <ctime>
#include <stdexcept>

namespace vellum::support {

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    // An empty value removes the variable on Windows; there is no other way.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
}

const bool kEmptyVariables = false;

void readTimeZone() {
    _tzset();
}

int processId() {
    return _getpid();
}

std::filesystem::path makeScratchFolder() {
    // No mkdtemp: the first free name of this process's own series.
    static unsigned made = 0;
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    for (unsigned tries = 0; tries < 1000; ++tries) {
        std::filesystem::path path =
            temp / ("vellum-" + std::to_string(processId()) + "-" + std::to_string(made++));
        if (std::filesystem::create_directory(path)) {
            return path;
        }
    }
    throw std::runtime_error("cannot make a scratch folder in " + temp.string());
}

} // namespace vellum::support
