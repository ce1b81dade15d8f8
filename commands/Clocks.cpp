#include "Clocks.h"

#include "LocalTime.h"

#include "core/Charset.h"

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

// The zero of every run of ten decimal digits, 0 to 9, in Unicode: the
// digits of Arabic, Persian, Devanagari, Thai, full-width forms and the rest.
constexpr char32_t kDigitZeros[] = {
    0x0030,  0x0660,  0x06F0,  0x07C0,  0x0966,  0x09E6,  0x0A66,  0x0AE6,  0x0B66,  0x0BE6,
    0x0C66,  0x0CE6,  0x0D66,  0x0DE6,  0x0E50,  0x0ED0,  0x0F20,  0x1040,  0x1090,  0x17E0,
    0x1810,  0x1946,  0x19D0,  0x1A80,  0x1A90,  0x1B50,  0x1BB0,  0x1C40,  0x1C50,  0xA620,
    0xA8D0,  0xA900,  0xA9D0,  0xA9F0,  0xAA50,  0xABF0,  0xFF10,  0x104A0, 0x10D30, 0x11066,
    0x110F0, 0x11136, 0x111D0, 0x112F0, 0x11450, 0x114D0, 0x11650, 0x116C0, 0x11730, 0x118E0,
    0x11950, 0x11C50, 0x11D50, 0x11DA0, 0x11F50, 0x16A60, 0x16AC0, 0x16B50, 0x1D7CE, 0x1D7D8,
    0x1D7E2, 0x1D7EC, 0x1D7F6, 0x1E140, 0x1E2F0, 0x1E4F0, 0x1E950, 0x1FBF0,
};

char32_t asciiDigitOf(char32_t ch) {
    for (const char32_t zero : kDigitZeros) {
        if (ch >= zero && ch < zero + 10) {
            return U'0' + (ch - zero);
        }
    }
    return ch;
}

// The invisible marks that keep right-to-left dates in order on a screen.
bool isDirectionMark(char32_t ch) {
    return ch == 0x061C || ch == 0x200E || ch == 0x200F || (ch >= 0x202A && ch <= 0x202E) ||
           (ch >= 0x2066 && ch <= 0x2069);
}

// The text as the calculator shows it, with ASCII digits; none when a
// character has no calculator code.
std::optional<std::string> calculatorText(std::string_view utf8) {
    std::u32string text;
    for (const char32_t ch : Charset::fromUtf8(utf8)) {
        const char32_t shown = asciiDigitOf(ch);
        if (isDirectionMark(shown)) {
            continue;
        }
        // A control character would be a byte of its own, which no comment
        // should hold.
        const std::optional<std::uint8_t> byte =
            shown < 0x20 ? std::nullopt : Charset::equivalent(shown);
        if (!byte) {
            return std::nullopt;
        }
        text.push_back(Charset::toDisplay(*byte));
    }
    return Charset::toUtf8(text);
}

} // namespace

ClockReading calculatorTexts(const ClockReading& platform, const ClockNumbers& numbers) {
    const std::optional<std::string> time = calculatorText(platform.time);
    const std::optional<std::string> date = calculatorText(platform.date);
    return {
        time.value_or(std::to_string(numbers.hour) + ':' + twoDigits(numbers.minute) + ':' +
                      twoDigits(numbers.second)),
        date.value_or(std::to_string(numbers.month) + '/' + std::to_string(numbers.day) + '/' +
                      std::to_string(numbers.year)),
    };
}

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
    const Result<LocalReading> reading = localNow();
    if (!reading.ok()) {
        return reading.failure();
    }
    const ClockReading texts = calculatorTexts(reading.value().texts, reading.value().numbers);
    // Kept only when the second did not turn while the texts were made.
    if (second != static_cast<std::time_t>(-1) && std::time(nullptr) == second) {
        texts_ = texts;
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
