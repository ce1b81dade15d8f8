#include "Clocks.h"

#include "LocalTime.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace vellum {

namespace {

std::string twoDigits(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

} // namespace

ClockReading utcTexts(std::int64_t secondsSinceEpoch) {
    using namespace std::chrono;
    const sys_seconds moment{seconds{secondsSinceEpoch}};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    return {
        twoDigits(static_cast<unsigned>(time.hours().count())) + ':' +
            twoDigits(static_cast<unsigned>(time.minutes().count())) + ':' +
            twoDigits(static_cast<unsigned>(time.seconds().count())),
        twoDigits(static_cast<unsigned>(date.month())) + '/' +
            twoDigits(static_cast<unsigned>(date.day())) + '/' +
            twoDigits(static_cast<unsigned>(static_cast<int>(date.year()))),
    };
}

Result<ClockReading> LocalClock::now() {
    const std::time_t second = std::time(nullptr);
    if (texts_ && second == second_) {
        return *texts_;
    }
    Result<ClockReading> texts = localNowTexts();
    // Kept only when the second did not turn while the texts were made.
    if (texts.ok() && second != static_cast<std::time_t>(-1) && std::time(nullptr) == second) {
        texts_ = texts.value();
        second_ = second;
    }
    return texts;
}

Result<ClockReading> FixedUtcClock::now() {
    return utcTexts(seconds_);
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
