#include "ToolRunner.h"

namespace vellum {

// Windows has no desktop databases to bring up to date.
ToolRunner processToolRunner() {
    return [](const std::string&, const std::vector<std::string>&) { return false; };
}

} // namespace vellum
