#include "LocalTime.h"

#include <cerrno>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace vellum {

namespace {

std::locale loadUserLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic(); // LANG names a locale that is not installed
    }
}

// Loaded once: loading a locale reads its files, and a batch would do that
// for every document.
const std::locale& userLocale() {
    static const std::locale locale = loadUserLocale();
    return locale;
}

// In the user's formats. One stream, imbued once: making and imbuing a stream
// costs more than the formatting, and a batch formats two texts a document.
std::string format(const std::tm& moment, const char* pattern) {
    thread_local std::ostringstream out = [] {
        std::ostringstream stream;
        stream.imbue(userLocale());
        return stream;
    }();
    out.str({});
    out.clear();
    out << std::put_time(&moment, pattern);
    return out.str();
}

} // namespace

Result<LocalReading> localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm moment{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &moment) == nullptr) {
        return Failure{EOVERFLOW, "the clock cannot be read"};
    }
    const ClockNumbers numbers{
        static_cast<unsigned>(moment.tm_hour),    static_cast<unsigned>(moment.tm_min),
        static_cast<unsigned>(moment.tm_sec),     static_cast<unsigned>(moment.tm_mday),
        static_cast<unsigned>(moment.tm_mon + 1), moment.tm_year + 1900};
    return LocalReading{{format(moment, "%X"), format(moment, "%x")}, numbers};
}

} // namespace vellum
