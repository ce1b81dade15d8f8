#include "Clocks.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>
#endif

namespace vellum {

namespace {

std::string twoDigits(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

#ifdef _WIN32

std::string toUtf8(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back(); // the terminating zero
    return utf8;
}

std::string lastErrorText() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}

#else

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

#endif

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

Result<ClockReading> localNowTexts() {
#ifdef _WIN32
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t time[128];
    wchar_t date[128];
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128) == 0 ||
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128,
                        nullptr) == 0) {
        return Failure{EINVAL, "the clock cannot be read: " + lastErrorText()};
    }
    return ClockReading{toUtf8(time), toUtf8(date)};
#else
    const std::time_t now = std::time(nullptr);
    std::tm moment{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &moment) == nullptr) {
        return Failure{EOVERFLOW, "the clock cannot be read"};
    }
    return ClockReading{format(moment, "%X"), format(moment, "%x")};
#endif
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
