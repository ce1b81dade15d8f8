#include "Clocks.h"

#include <cerrno>
#include <charconv>
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

std::string format(const std::tm& moment, const char* pattern, const std::locale& locale) {
    std::ostringstream out;
    out.imbue(locale);
    out << std::put_time(&moment, pattern);
    return out.str();
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm moment{};
    localtime_r(&now, &moment);
    return moment;
}

Result<std::tm> utc(std::time_t seconds) {
    std::tm moment{};
    if (gmtime_r(&seconds, &moment) == nullptr) {
        return Failure{EOVERFLOW, "the moment lies outside the calendar"};
    }
    return moment;
}

ClockReading read(const std::tm& moment, const std::locale& locale) {
    return {format(moment, "%X", locale), format(moment, "%x", locale)};
}

} // namespace

Result<ClockReading> LocalClock::now() {
    return read(localNow(), userLocale());
}

Result<ClockReading> FixedUtcClock::now() {
    const Result<std::tm> moment = utc(seconds_);
    if (!moment.ok()) {
        return moment.failure();
    }
    return read(moment.value(), std::locale::classic());
}

std::optional<std::time_t> parseSourceDateEpoch(std::string_view value) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    long long seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc{} || end != value.data() + value.size()) {
        return std::nullopt;
    }
    // Years beyond 9999 have no four-digit date; refuse them rather than
    // write a comment nobody expects.
    constexpr long long kLast = 253402300799LL; // 9999-12-31 23:59:59 UTC
    if (seconds > kLast) {
        return std::nullopt;
    }
    return static_cast<std::time_t>(seconds);
}

} // namespace vellum
