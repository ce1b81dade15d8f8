#include "Environment.h"

#include <ctime>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace vellum::support {

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

const bool kEmptyVariables = true;

void readTimeZone() {
    ::tzset();
}

int processId() {
    return static_cast<int>(::getpid());
}

std::filesystem::path makeScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vellum-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder in " + pattern);
    }
    return pattern;
}

} // namespace vellum::support
